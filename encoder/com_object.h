// The IUnknown part shared by the component's objects: one reference count, a reference on the
// module while alive, and QueryInterface over the identifiers each object answers to.
#pragma once

#include <objbase.h>

#include "encoder/encoder_object.h"

template <typename Interface> class ComObject : public Interface {
public:
    ComObject() { ModuleAddRef(); }
    virtual ~ComObject() { ModuleRelease(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || Answers(iid)) {
            *object = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG refs = InterlockedDecrement(&refs_);
        if (refs == 0)
            delete this;
        return ULONG(refs);
    }

protected:
    // The identifiers besides IUnknown that this object answers to.
    virtual bool Answers(REFIID iid) const = 0;

private:
    LONG refs_ = 1;
};
