#include "Message.h"

const CRuntimeClass CMessage::classCMessage = {"CMessage", sizeof(CMessage),
                                               &CObject::classCObject, nullptr};

const CRuntimeClass* CMessage::GetRuntimeClass() const { return &classCMessage; }

CMessage::CMessage()
    : m_nSize(0),
      m_timeSent(CurrentTime()),
      m_timeReceived(m_timeSent),
      m_bSeen(0),
      m_nReaction(1),
      m_bDeleteMark(0) {}

CMessage::CMessage(const CMessage& other) : CMessage() { *this = other; }

CMessage& CMessage::operator=(const CMessage& other) {
    m_strHeader = other.m_strHeader;
    m_strSenderName = other.m_strSenderName;
    m_strSenderAddress = other.m_strSenderAddress;
    m_strSubject = other.m_strSubject;
    m_strMessageId = other.m_strMessageId;
    m_nSize = other.m_nSize;
    m_timeSent = other.m_timeSent;
    m_timeReceived = other.m_timeReceived;
    m_bSeen = other.m_bSeen;
    return *this;
}

CMessage::~CMessage() = default;
