#pragma once
// One transaction on the connection, owned by the command that writes. It rolls
// back when it goes out of scope uncommitted (an exception, an early return), so
// no window writes BEGIN, COMMIT or ROLLBACK. Begun inside another transaction it
// joins that one: the outer owner commits or rolls back the whole.
#include "platform/Connection.h"

class TTransaction {
public:
    explicit TTransaction(TADOConnection& cn);
    ~TTransaction();
    TTransaction(const TTransaction&) = delete;
    TTransaction& operator=(const TTransaction&) = delete;

    void commit();
    bool owner() const { return m_owner; }

private:
    TADOConnection& m_cn;
    bool m_owner = false;
    bool m_done = false;
};
