// Line mode: received data delivered one line at a time, optionally echoed
// and edited as a terminal would.
//
// With LineMode on and LineEnd not empty, each data notification reads the
// waiting bytes into a line buffer; for every complete line OnDataAvailable
// fires until the handler has read the line (Receive then hands out bytes of
// that line only, line end included). A handler call that reads nothing of
// the line drops the rest of it. Bytes left when the peer closes are
// delivered as a last line before OnSessionClosed.
//
// The buffer is bounded: when LineLimit bytes are held without a line end,
// OnLineTooLong fires and the held bytes are delivered as one piece, so a
// peer that never ends its line cannot exhaust memory and loses nothing.
#pragma once

#include "net/SocksSocket.h"

#include <QByteArray>

namespace vesk {

inline constexpr int kDefaultLineLimit = 65536;

class TCustomLineSocket : public TCustomSocksSocket {
public:
    TCustomLineSocket() = default;

    bool LineMode() const { return lineMode_; }
    // Switching while bytes are buffered posts a message that delivers them
    // again in the new mode (as lines, or as plain data to OnDataAvailable).
    void SetLineMode(bool on);
    QByteArray LineEnd() const { return lineEnd_; }
    void SetLineEnd(const QByteArray& lineEnd) { lineEnd_ = lineEnd; }
    // Received bytes are sent back as they arrive.
    bool LineEcho() const { return lineEcho_; }
    void SetLineEcho(bool on) { lineEcho_ = on; }
    // A backspace removes the character before it (never a delivered one or
    // one of an earlier line); a tab becomes blanks up to the next multiple
    // of 8 columns. Columns count characters, not UTF-8 bytes.
    bool LineEdit() const { return lineEdit_; }
    void SetLineEdit(bool on) { lineEdit_ = on; }
    // Bytes held without a line end before OnLineTooLong; values below 1 mean 1.
    int LineLimit() const { return lineLimit_; }
    void SetLineLimit(int bytes) { lineLimit_ = bytes < 1 ? 1 : bytes; }

    // In line mode: bytes of the line being delivered, else -1 with 10035.
    // Otherwise buffered bytes first, then the socket's.
    int Receive(void* buffer, int size) override;
    long RcvdCount() override;

    TSocketNotifyEvent OnLineTooLong;

protected:
    bool TriggerDataAvailable(int error) override;
    void TriggerSessionClosed(int error) override;
    void ResetAfterClose() override;
    void HandleMessage(QEvent* event) override;

private:
    bool LinesActive() const { return lineMode_ && !lineEnd_.isEmpty() && !SocksHandshaking(); }
    int Held() const { return int(buffer_.size()) - head_; }
    void ReadIntoBuffer();
    void Append(const char* data, int length);
    void DeliverLines();
    // Offers [head, end) to the handler until it is read; true while the socket stays open.
    bool DeliverLine(int end);
    bool DeliverPlain();
    void Compact();

    bool lineMode_ = false;
    QByteArray lineEnd_ = QByteArrayLiteral("\r\n");
    bool lineEcho_ = false;
    bool lineEdit_ = false;
    int lineLimit_ = kDefaultLineLimit;

    QByteArray buffer_;
    int head_ = 0;       // first byte not yet handed out
    int lineEndPos_ = 0; // end of the line being delivered (head_ when none)
    int scan_ = 0;       // the line end is not before this position
    int lineStart_ = 0;  // start of the line being received (edits stop here)
    int column_ = 0;     // characters since lineStart_
};

} // namespace vesk
