// The icon cache: bounded, and what it drops is destroyed.

#include <windows.h>

#include <string>
#include <vector>

#include "browser/FileIcons.h"
#include "browser/IconCache.h"
#include "doctest/doctest.h"

using namespace tb;

namespace {

// A real icon handle of our own (a copy of a system icon).
UniqueIcon NewIcon() {
    UniqueIcon icon(::CopyIcon(::LoadIcon(nullptr, IDI_APPLICATION)));
    REQUIRE(icon);
    return icon;
}

bool IconAlive(HICON icon) {
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info)) return false;
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    return true;
}

}  // namespace

TEST_CASE("the icon cache keeps the most recently used icons and destroys the one it drops") {
    CIconCache cache(3);
    const HICON a = cache.Put(".a", NewIcon());
    const HICON b = cache.Put(".b", NewIcon());
    const HICON c = cache.Put(".c", NewIcon());
    CHECK(cache.Size() == 3);
    HICON found = nullptr;
    REQUIRE(cache.Find(".a", found));  // ".a" is now used more recently than ".b"
    CHECK(found == a);

    const HICON d = cache.Put(".d", NewIcon());
    CHECK(cache.Size() == 3);
    CHECK_FALSE(cache.Find(".b", found));
    CHECK_FALSE(IconAlive(b));  // dropped and destroyed
    for (HICON kept : {a, c, d}) CHECK(IconAlive(kept));
    CHECK(cache.Find(".a", found));
    CHECK(cache.Find(".c", found));
    CHECK(cache.Find(".d", found));
    CHECK(found == d);

    // A key without an icon of its own is cached as such.
    CHECK(cache.Put(".none", UniqueIcon()) == nullptr);
    CHECK(cache.Find(".none", found));
    CHECK(found == nullptr);
    CHECK(cache.Size() == 3);
}

TEST_CASE("drawing many types keeps the program's icon cache bounded") {
    // Types no one registered: each is looked up once, then found in the cache.
    auto key = [](int i) { return ".tbq" + std::to_string(i); };
    for (int i = 0; i < 400; ++i) CHECK(LookupFileIcon(key(i)) != nullptr);  // the default icon stands in
    const size_t held = CachedFileIcons();
    CHECK(held <= 302);
    CHECK(held > 0);
    // Lines drawn again and again: the cache does not grow.
    for (int round = 0; round < 3; ++round)
        for (int i = 300; i < 400; ++i) LookupFileIcon(key(i));
    CHECK(CachedFileIcons() == held);
}
