#pragma once
// The change record list (section "Changes") is written by three threads: the
// change monitor appends the folders whose watch fired, the directory-list
// worker appends what its reconciliation walk found, and the user-interface
// thread prunes or empties the list after a run. Each read-modify-write of
// the list holds this one lock, so that no writer undoes another's entry.

#include <mutex>
#include <string>
#include <vector>

namespace tb {

std::mutex& ChangeRecordLock();

// Appends each of `paths` that the list does not hold yet (exact comparison),
// in one write, with the end mark after the last; at most 5000 entries in
// all. Returns the number appended.
int RecordChangedDirectories(const std::vector<std::string>& paths);

}  // namespace tb
