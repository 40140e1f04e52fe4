#pragma once
// A status object for fbclient calls; internal to the db library.

#include "db/client.h"
#include "db/db_error.h"

#include <firebird/Interface.h>

#include <QByteArray>
#include <QString>

namespace db::detail {

class Status {
public:
    Status() : raw_(master()->getStatus()), wrapper_(raw_) {}
    ~Status() { raw_->dispose(); }
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;

    Firebird::CheckStatusWrapper* operator&() { return &wrapper_; }
    bool failed() const { return wrapper_.getState() & Firebird::IStatus::STATE_ERRORS; }
    // Throws the error the last call left, and clears it.
    void check()
    {
        if (failed()) {
            DbError e = DbError::fromStatus(&wrapper_);
            wrapper_.init();
            throw e;
        }
    }
    void clear() { wrapper_.init(); }

private:
    Firebird::IStatus* raw_;
    Firebird::CheckStatusWrapper wrapper_;
};

// A parameter block built with the client's builder.
class Xpb {
public:
    explicit Xpb(unsigned kind);
    ~Xpb();
    Xpb(const Xpb&) = delete;
    Xpb& operator=(const Xpb&) = delete;
    void tag(unsigned char t);
    void integer(unsigned char t, int v);
    void string(unsigned char t, const QString& v);
    void bytes(unsigned char t, const QByteArray& v);
    unsigned length();
    const unsigned char* data();

private:
    Status st_;
    Firebird::IXpbBuilder* b_;
};

// An error of this layer itself (no server involved).
[[noreturn]] void fail(const QString& message);

}  // namespace db::detail
