#include "platform/Transaction.h"

TTransaction::TTransaction(TADOConnection& cn) : m_cn(cn)
{
    m_owner = !cn.inTransaction();
    if (m_owner) cn.beginTrans();
}

TTransaction::~TTransaction()
{
    if (!m_owner || m_done) return;
    try {
        m_cn.rollbackTrans();
    } catch (...) {
        // Nothing may leave a destructor; the engine ends the transaction itself
        // when the connection closes.
    }
}

void TTransaction::commit()
{
    if (m_done) return;
    if (m_owner) m_cn.commitTrans();
    m_done = true;
}
