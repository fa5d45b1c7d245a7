#pragma once
// User data: a block of host bytes with an optional type tag, release hook and delegate.

#include "squirrel/sqtable.h"

#include <cstdlib>
#include <new>

struct SQUserData : SQDelegable {
  static SQUserData* Create(SQSharedState* ss, SQUnsignedInteger size) {
    void* mem = calloc(1, sizeof(SQUserData) + size);
    if (!mem) throw std::bad_alloc();
    SQUserData* ud = new (mem) SQUserData();
    ud->_size = static_cast<SQInteger>(size);
    ud->AddToChain(ss);
    return ud;
  }
  ~SQUserData() override { RemoveFromChain(); }
  void Release() override {
    if (_hook) _hook(data(), _size);
    this->~SQUserData();
    free(this);
  }
  void Finalize() override { SetDelegate(nullptr); }
  SQUserPointer data() { return reinterpret_cast<char*>(this) + sizeof(SQUserData); }

  SQInteger _size = 0;
  SQRELEASEHOOK _hook = nullptr;
  SQUserPointer _typetag = nullptr;

 private:
  SQUserData() = default;
};
