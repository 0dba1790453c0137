// An environment variable set for the length of a scope.
#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace vesk::test {

// Sets (or, with a null value, removes) an environment variable for a scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name))
    {
        Set(value);
    }
    ~ScopedEnv()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    void Set(const QByteArray& value)
    {
        if (value.isNull())
            qunsetenv(name_);
        else
            qputenv(name_, value);
    }

private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

} // namespace vesk::test
