// The root object with run-time class records.
#pragma once

#include "FwExport.h"

class CObject;

struct FW_API CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    const CRuntimeClass* m_pBaseClass;
    CObject* (*m_pfnCreateObject)();  // null when the class cannot be created by name

    bool IsDerivedFrom(const CRuntimeClass* base) const;
    CObject* CreateObject() const;
};

class FW_API CObject {
public:
    virtual ~CObject();
    virtual const CRuntimeClass* GetRuntimeClass() const;
    bool IsKindOf(const CRuntimeClass* cls) const;

    static const CRuntimeClass classCObject;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};
