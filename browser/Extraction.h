#pragma once
// One extraction of the Extract File(s) dialog: from one archive into one
// folder, either every entry in one call to the ZIP library or the selected
// entries in batches of seven. The password is asked once, at the first
// protected entry. The library's progress reports go to the window given;
// the library's complaints about a missing or wrong password are gathered and
// told once afterwards, not once per entry.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "browser/ExtractBatches.h"
#include "zip/ZipEngine.h"

namespace tb {

struct ExtractionHooks {
    // Asks for the password; "" when the user gave none.
    std::function<std::string()> askPassword;
    // The progress bar, 0 to 100.
    std::function<void(int position)> setProgress;
    // 1: the library's progress reports move the bar.
    std::function<void(int follow)> setFollowProgress;
    // True once the user has cancelled.
    std::function<bool()> cancelled;
};

class CExtraction : private IBatchExtraction {
public:
    // `options` are the unzip option bits of ExtractFiles.
    CExtraction(HWND progressWindow, std::string archive, std::string destination, int options,
                ExtractionHooks hooks);

    // Every entry of the archive. 1 when the library extracted them all.
    int ExtractAll();
    // The selected entries, in batches. 1 when every batch was extracted.
    int ExtractSelected(const std::vector<ExtractEntry>& selection);

    // Stops the library's running job at its next progress report.
    void Abort() { m_engine.AbortZipOperation(); }

    // What to tell the user about entries left out for want of the right
    // password; "" when there were none.
    std::string PasswordReport() const;

private:
    std::string AskPassword() override;
    bool ExtractBatch(const std::string& fileList, const std::string& password) override;
    void SetProgress(int position) override;
    void SetFollowProgress(int follow) override;
    bool Cancelled() const override;

    // Steps through the entries; true when one is protected.
    bool HasProtectedEntry();

    CZipEngine m_engine;
    std::string m_archive;
    std::string m_destination;
    int m_options;
    ExtractionHooks m_hooks;
};

}  // namespace tb
