// Small RAII holders for GDI and kernel handles: explicit construction, no copies, Release() hands ownership on.
#pragma once
#include <windows.h>

class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND hwnd) : hwnd_(hwnd), hdc_(GetDC(hwnd)) {}
    ~ScopedGetDC() {
        if (hdc_) ReleaseDC(hwnd_, hdc_);
    }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    HDC get() const { return hdc_; }

private:
    HWND hwnd_;
    HDC hdc_;
};

class ScopedMemDC {
public:
    explicit ScopedMemDC(HDC compatible) : hdc_(CreateCompatibleDC(compatible)) {}
    ~ScopedMemDC() {
        if (hdc_) DeleteDC(hdc_);
    }
    ScopedMemDC(const ScopedMemDC&) = delete;
    ScopedMemDC& operator=(const ScopedMemDC&) = delete;
    HDC get() const { return hdc_; }
    HDC Release() {
        HDC h = hdc_;
        hdc_ = nullptr;
        return h;
    }

private:
    HDC hdc_;
};

template <class T> class ScopedGdiObj {
public:
    explicit ScopedGdiObj(T obj) : obj_(obj) {}
    ~ScopedGdiObj() {
        if (obj_) DeleteObject(obj_);
    }
    ScopedGdiObj(const ScopedGdiObj&) = delete;
    ScopedGdiObj& operator=(const ScopedGdiObj&) = delete;
    T get() const { return obj_; }
    T Release() {
        T h = obj_;
        obj_ = nullptr;
        return h;
    }

private:
    T obj_;
};

// Selects obj into hdc and puts the previous object back on destruction.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC hdc, HGDIOBJ obj) : hdc_(hdc), old_(SelectObject(hdc, obj)) {}
    ~ScopedSelectObject() {
        if (old_ && old_ != HGDI_ERROR) SelectObject(hdc_, old_);
    }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC hdc_;
    HGDIOBJ old_;
};

class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE h) : h_(h) {}
    ~ScopedHandle() {
        if (h_ && h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE get() const { return h_; }
    HANDLE Release() {
        HANDLE h = h_;
        h_ = nullptr;
        return h;
    }

private:
    HANDLE h_;
};

class ScopedRegKey {
public:
    ScopedRegKey() = default;
    explicit ScopedRegKey(HKEY key) : key_(key) {}
    ~ScopedRegKey() {
        if (key_) RegCloseKey(key_);
    }
    ScopedRegKey(const ScopedRegKey&) = delete;
    ScopedRegKey& operator=(const ScopedRegKey&) = delete;
    HKEY get() const { return key_; }
    HKEY* receive() { return &key_; }

private:
    HKEY key_ = nullptr;
};
