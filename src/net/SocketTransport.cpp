// The byte path between a socket's handle and its send queue / receive path.
#include "net/SocketTransport.h"

#include "net/SocketErrors.h"

#include <cerrno>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace vesk {

long TPlainTransport::Write(int handle, const char* data, long length, int flags, int& error)
{
    ssize_t n;
    do
        n = ::send(handle, data, std::size_t(length), flags | MSG_NOSIGNAL);
    while (n < 0 && errno == EINTR);
    if (n < 0) {
        error = WinsockErrorFromErrno(errno);
        return -1;
    }
    if (n == 0) {
        error = kWsaEWOULDBLOCK;
        return -1;
    }
    return long(n);
}

long TPlainTransport::Read(int handle, char* buffer, long size, int& error)
{
    ssize_t n;
    do
        n = ::recv(handle, buffer, std::size_t(size), 0);
    while (n < 0 && errno == EINTR);
    if (n < 0) {
        error = WinsockErrorFromErrno(errno);
        return -1;
    }
    return long(n);
}

long TPlainTransport::Pending(int handle, int& error)
{
    int count = 0;
    if (::ioctl(handle, FIONREAD, &count) < 0) {
        error = WinsockErrorFromErrno(errno);
        return -1;
    }
    return count;
}

} // namespace vesk
