// Small owners for the handles the program opens. Each closes its handle
// once, can be moved but not copied.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <cstdio>
#include <utility>

// Owner of one handle value; Traits::Close releases it, Traits::Invalid() is
// the empty value.
template <typename Traits>
class UniqueResource {
public:
    using Value = typename Traits::Value;

    UniqueResource() noexcept : value_(Traits::Invalid()) {}
    explicit UniqueResource(Value v) noexcept : value_(v) {}
    ~UniqueResource() { Reset(); }

    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Value Get() const noexcept { return value_; }
    bool Valid() const noexcept { return value_ != Traits::Invalid(); }
    explicit operator bool() const noexcept { return Valid(); }

    // Gives up ownership without closing.
    Value Release() noexcept {
        Value v = value_;
        value_ = Traits::Invalid();
        return v;
    }
    // Closes the held value (if any) and takes v. Returns whether the close
    // succeeded (true when nothing was held).
    bool Reset(Value v = Traits::Invalid()) noexcept {
        bool ok = true;
        if (value_ != Traits::Invalid()) ok = Traits::Close(value_);
        value_ = v;
        return ok;
    }
    // For APIs that write the handle through a pointer; closes the old one.
    Value* Put() noexcept {
        Reset();
        return &value_;
    }

private:
    Value value_;
};

struct KernelHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Close(Value h) { return CloseHandle(h) != FALSE; }
};
// Thread handles use null as their empty value.
struct ThreadHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return nullptr; }
    static bool Close(Value h) { return CloseHandle(h) != FALSE; }
};
struct FindHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Close(Value h) { return FindClose(h) != FALSE; }
};
struct RegKeyTraits {
    using Value = HKEY;
    static Value Invalid() { return nullptr; }
    static bool Close(Value k) { return RegCloseKey(k) == ERROR_SUCCESS; }
};
struct GdiObjectTraits {
    using Value = HGDIOBJ;
    static Value Invalid() { return nullptr; }
    static bool Close(Value o) { return DeleteObject(o) != FALSE; }
};
struct StdioFileTraits {
    using Value = FILE*;
    static Value Invalid() { return nullptr; }
    static bool Close(Value f) { return std::fclose(f) == 0; }
};

using FileHandle = UniqueResource<KernelHandleTraits>;
using ThreadHandle = UniqueResource<ThreadHandleTraits>;
using FindHandle = UniqueResource<FindHandleTraits>;
using RegKey = UniqueResource<RegKeyTraits>;
using GdiObject = UniqueResource<GdiObjectTraits>;
using StdioFile = UniqueResource<StdioFileTraits>;

// One COM interface pointer; released once.
template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            ptr_ = std::exchange(other.ptr_, nullptr);
        }
        return *this;
    }
    T* Get() const noexcept { return ptr_; }
    T* operator->() const noexcept { return ptr_; }
    explicit operator bool() const noexcept { return ptr_ != nullptr; }
    // Receives a new interface; the old one is released first.
    void** PutVoid() noexcept {
        Reset();
        return reinterpret_cast<void**>(&ptr_);
    }
    T** Put() noexcept {
        Reset();
        return &ptr_;
    }
    void Reset() noexcept {
        if (ptr_) {
            ptr_->Release();
            ptr_ = nullptr;
        }
    }

private:
    T* ptr_ = nullptr;
};

// COM initialisation of the calling thread (single-threaded apartment).
// Usable() is false for the three results that mean COM cannot be used on
// this thread; then no CoUninitialize is owed. Every other result, S_FALSE
// included, is balanced by one CoUninitialize in the destructor.
class ComApartment {
public:
    ComApartment() noexcept : result_(CoInitialize(nullptr)) {}
    ~ComApartment() {
        if (Usable()) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ComApartment(ComApartment&&) = delete;
    ComApartment& operator=(ComApartment&&) = delete;

    HRESULT Result() const noexcept { return result_; }
    bool Usable() const noexcept {
        return result_ != E_UNEXPECTED && result_ != E_OUTOFMEMORY && result_ != E_INVALIDARG;
    }

private:
    HRESULT result_;
};
