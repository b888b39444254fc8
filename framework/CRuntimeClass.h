// The run-time record of one class: its name and its base class's record.
#pragma once

struct CRuntimeClass
{
    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;

    bool IsDerivedFrom(const CRuntimeClass* pBaseClass) const
    {
        for (const CRuntimeClass* p = this; p != nullptr; p = p->m_pBaseClass)
            if (p == pBaseClass)
                return true;
        return false;
    }
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

// Inside a class: gives it a class record and reports it at run time.
#define DECLARE_DYNAMIC(class_name)               \
public:                                           \
    static const CRuntimeClass class##class_name; \
    const CRuntimeClass* GetRuntimeClass() const override;

// At namespace scope in the class's source file.
#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                                   \
    const CRuntimeClass class_name::class##class_name = { #class_name, RUNTIME_CLASS(base_class_name) }; \
    const CRuntimeClass* class_name::GetRuntimeClass() const                                             \
    {                                                                                                    \
        return RUNTIME_CLASS(class_name);                                                                \
    }
