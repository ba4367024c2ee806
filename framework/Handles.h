#pragma once
// Move-only owners for Win32 handles, GDI objects and friends. Every handle the
// program opens lives in one of these, so it is released on every path.

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <utility>

namespace tb {

template <typename Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() noexcept : m_value(Traits::Invalid()) {}
    explicit UniqueResource(Type value) noexcept : m_value(value) {}
    ~UniqueResource() { Reset(); }

    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : m_value(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Type Get() const noexcept { return m_value; }
    bool Valid() const noexcept { return m_value != Traits::Invalid(); }
    explicit operator bool() const noexcept { return Valid(); }

    Type Release() noexcept { return std::exchange(m_value, Traits::Invalid()); }
    void Reset(Type value = Traits::Invalid()) noexcept {
        Type old = std::exchange(m_value, value);
        if (old != Traits::Invalid()) Traits::Close(old);
    }
    // For APIs that fill an out-parameter: releases what is held first.
    Type* Put() noexcept { Reset(); return &m_value; }

private:
    Type m_value;
};

namespace traits {
struct Handle {  // handles whose "none" is NULL: threads, events, mutexes
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::CloseHandle(h); }
};
struct File {  // handles whose "none" is INVALID_HANDLE_VALUE
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::CloseHandle(h); }
};
struct Find {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::FindClose(h); }
};
struct ChangeNotification {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::FindCloseChangeNotification(h); }
};
struct RegKey {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::RegCloseKey(h); }
};
struct Icon {
    using Type = HICON;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::DestroyIcon(h); }
};
struct Menu {
    using Type = HMENU;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::DestroyMenu(h); }
};
struct Module {
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::FreeLibrary(h); }
};
struct GlobalAtom {
    using Type = ATOM;
    static Type Invalid() { return 0; }
    static void Close(Type a) { ::GlobalDeleteAtom(a); }
};
struct Pidl {
    using Type = LPITEMIDLIST;
    static Type Invalid() { return nullptr; }
    static void Close(Type p) { ::CoTaskMemFree(p); }
};
struct ImageList {
    using Type = HIMAGELIST;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::ImageList_Destroy(h); }
};
template <typename T>
struct GdiObject {
    using Type = T;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::DeleteObject(h); }
};
}  // namespace traits

using UniqueHandle = UniqueResource<traits::Handle>;
using UniqueFile = UniqueResource<traits::File>;
using UniqueFind = UniqueResource<traits::Find>;
using UniqueChangeNotification = UniqueResource<traits::ChangeNotification>;
using UniqueRegKey = UniqueResource<traits::RegKey>;
using UniqueIcon = UniqueResource<traits::Icon>;
using UniqueMenu = UniqueResource<traits::Menu>;
using UniqueModule = UniqueResource<traits::Module>;
using UniqueGlobalAtom = UniqueResource<traits::GlobalAtom>;
using UniquePidl = UniqueResource<traits::Pidl>;
using UniqueImageList = UniqueResource<traits::ImageList>;
using UniqueBrush = UniqueResource<traits::GdiObject<HBRUSH>>;
using UniqueFont = UniqueResource<traits::GdiObject<HFONT>>;
using UniqueBitmap = UniqueResource<traits::GdiObject<HBITMAP>>;
using UniquePen = UniqueResource<traits::GdiObject<HPEN>>;

// Selects a GDI object into a device context and puts the old one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(::SelectObject(dc, object)) {}
    ~SelectedObject() { if (m_old) ::SelectObject(m_dc, m_old); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// GetDC / ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
    ~WindowDC() { if (m_dc) ::ReleaseDC(m_hwnd, m_dc); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC Get() const { return m_dc; }
private:
    HWND m_hwnd;
    HDC m_dc;
};

// CreateCompatibleDC / DeleteDC.
class MemoryDC {
public:
    explicit MemoryDC(HDC like) : m_dc(::CreateCompatibleDC(like)) {}
    ~MemoryDC() { if (m_dc) ::DeleteDC(m_dc); }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC Get() const { return m_dc; }
private:
    HDC m_dc;
};

// BeginPaint / EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND hwnd) : m_hwnd(hwnd) { m_dc = ::BeginPaint(hwnd, &m_ps); }
    ~PaintDC() { ::EndPaint(m_hwnd, &m_ps); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC Get() const { return m_dc; }
    const PAINTSTRUCT& Info() const { return m_ps; }
private:
    HWND m_hwnd;
    HDC m_dc;
    PAINTSTRUCT m_ps{};
};

// A critical section and its scoped lock.
class CriticalSection {
public:
    CriticalSection() { ::InitializeCriticalSection(&m_cs); }
    ~CriticalSection() { ::DeleteCriticalSection(&m_cs); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void Enter() { ::EnterCriticalSection(&m_cs); }
    void Leave() { ::LeaveCriticalSection(&m_cs); }
private:
    CRITICAL_SECTION m_cs;
};

class ScopedLock {
public:
    explicit ScopedLock(CriticalSection& cs) : m_cs(cs) { m_cs.Enter(); }
    ~ScopedLock() { m_cs.Leave(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;
private:
    CriticalSection& m_cs;
};

// CoInitialize for the life of a scope (the shell's folder browser needs it).
class ComInit {
public:
    ComInit() : m_ok(SUCCEEDED(::CoInitialize(nullptr))) {}
    ~ComInit() { if (m_ok) ::CoUninitialize(); }
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;
private:
    bool m_ok;
};

}  // namespace tb
