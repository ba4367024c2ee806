#include "sfx/SfxBuilder.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "core/Format.h"
#include "core/Io.h"
#include "sfx/AdfactryApi.h"
#include "sfx/IconResource.h"
#include "sfx/Payload.h"
#include "sfx/PeImage.h"
#include "sfx/ScriptIds.h"
#include "sfx/WideText.h"
#include "sfx/ZipRelocation.h"

namespace tb::sfx {

namespace {

constexpr size_t kCopyChunk = 4u << 20;
constexpr uint64_t kMaxStubSize = 32u << 20;
constexpr uint64_t kMaxBitmapSize = 16u << 20;

bool IsAbsolute(const std::string& path) {
    return (path.size() >= 2 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

bool IsFile(zl::IFileSystem& fs, const std::string& path) {
    zl::FileInfo info;
    return !path.empty() && fs.Stat(path, info) && !info.isDirectory;
}

bool ReadWhole(zl::IFileSystem& fs, const std::string& path, uint64_t limit, std::string& data) {
    std::unique_ptr<zl::IReadFile> file = fs.OpenRead(path);
    if (!file || file->Size() > limit) return false;
    data.assign(size_t(file->Size()), '\0');
    return data.empty() || file->ReadAt(0, &data[0], data.size()) == int64_t(data.size());
}

bool ImageOfProgram(const std::string& file, std::string& image) {
    uint64_t end = 0;
    if (!PeImageEnd(reinterpret_cast<const uint8_t*>(file.data()), file.size(), end) || end > file.size())
        return false;
    image = file.substr(0, size_t(end));
    return true;
}

// A file in the temporary folder, removed when the object goes.
class CTempFile {
public:
    CTempFile() {
        wchar_t folder[MAX_PATH + 1], name[MAX_PATH + 1];
        DWORD n = ::GetTempPathW(MAX_PATH + 1, folder);
        if (n > 0 && n <= MAX_PATH && ::GetTempFileNameW(folder, L"sfx", 0, name)) m_path = name;
    }
    ~CTempFile() { if (!m_path.empty()) ::DeleteFileW(m_path.c_str()); }
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;
    bool Valid() const { return !m_path.empty(); }
    std::string Path() const { return Narrow(m_path); }

private:
    WideString m_path;
};

bool WriteWhole(zl::IFileSystem& fs, const std::string& path, const std::string& data) {
    fs.Remove(path);
    std::unique_ptr<zl::IWriteFile> out = fs.CreateNew(path);
    return out && out->Write(data.data(), data.size()) && out->Commit(false);
}

// The extractor with the icon the script names, when there is one to take.
void ApplyIcon(zl::IFileSystem& fs, const CScript& script, const std::string& baseFolder, std::string& image) {
    const std::string text = script.TextOr(ids::kIconSource, "");
    if (text.empty()) return;
    IconSource source = ParseIconSource(text);
    source.file = ResolveScriptPath(source.file, baseFolder);
    if (!IsFile(fs, source.file)) return;
    CTempFile temp;
    std::string why, updated, withIcon;
    if (!temp.Valid() || !WriteWhole(fs, temp.Path(), image) || !ReplaceProgramIcon(temp.Path(), source, why)) return;
    if (ReadWhole(fs, temp.Path(), kMaxStubSize, updated) && ImageOfProgram(updated, withIcon)) image = withIcon;
}

// The script the program carries: what the extractor reads, without the
// builder's own paths, and the pictures of the bitmap files that exist.
Payload MakePayload(zl::IFileSystem& fs, const CScript& script, const std::string& baseFolder) {
    Payload payload;
    for (const ScriptProperty& p : script.Properties()) {
        if (p.id == ids::kSource || p.id == ids::kOutput || p.id == ids::kIconSource) continue;
        if (p.kind == ScriptProperty::Kind::Number) {
            payload.script.SetNumber(p.id, p.number);
            continue;
        }
        payload.script.SetText(p.id, p.text);
        if (!ids::IsBitmapId(p.id) || p.text.empty() || payload.files.count(p.text)) continue;
        std::string data;
        const std::string path = ResolveScriptPath(p.text, baseFolder);
        if (IsFile(fs, path) && ReadWhole(fs, path, kMaxBitmapSize, data) && data.size() > 54 && data[0] == 'B' &&
            data[1] == 'M')
            payload.files[p.text] = std::move(data);
    }
    return payload;
}

// The temporary output file, removed unless it became the output.
class COutputFile {
public:
    COutputFile(zl::IFileSystem& fs, const std::string& output) : m_fs(fs) {
        for (int n = 0; n < 100 && !m_file; ++n) {
            m_path = output + ".tbsfx" + std::to_string(n) + "~";
            m_file = fs.CreateNew(m_path);
        }
    }
    ~COutputFile() {
        m_file.reset();
        if (!m_done) m_fs.Remove(m_path);
    }
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;
    bool Valid() const { return m_file != nullptr; }
    bool Write(const std::string& data) { return m_file->Write(data.data(), data.size()); }
    bool Write(const void* data, size_t size) { return m_file->Write(data, size); }
    // Flushes the file and puts it in place of `output`.
    bool Finish(const std::string& output) {
        const bool committed = m_file->Commit(true);
        m_file.reset();
        m_done = committed && m_fs.Replace(m_path, output, true);
        return m_done;
    }

private:
    zl::IFileSystem& m_fs;
    std::string m_path;
    std::unique_ptr<zl::IWriteFile> m_file;
    bool m_done = false;
};

int Build(const CScript& script, const BuildSettings& settings, std::string& why) {
    zl::IFileSystem& fs = zl::PlatformFileSystem();
    const std::string sourcePath = script.TextOr(ids::kSource, "");
    const std::string outputPath = script.TextOr(ids::kOutput, "");
    if (sourcePath.empty()) { why = "the script names no source archive"; return kSfxNoSource; }
    if (outputPath.empty()) { why = "the script names no program to write"; return kSfxNoOutput; }

    std::string stubFile, image;
    if (!ReadWhole(fs, settings.stub, kMaxStubSize, stubFile) || !ImageOfProgram(stubFile, image)) {
        why = "the extractor " + settings.stub + " is missing or damaged";
        return kSfxStubMissing;
    }
    stubFile.clear();
    ApplyIcon(fs, script, settings.baseFolder, image);
    const std::string payload = EncodePayload(MakePayload(fs, script, settings.baseFolder));

    std::unique_ptr<zl::IReadFile> source = fs.OpenRead(sourcePath);
    if (!source) {
        why = "cannot open " + sourcePath + ": " + fs.LastErrorText();
        return kSfxSourceUnreadable;
    }
    zl::ZipDirectory directory;
    ZipTail tail;
    std::string tailBytes;
    const uint64_t dataStart = image.size() + payload.size();
    if (!zl::ReadDirectory(*source, directory, why) || !ReadZipTail(*source, directory, tail, why) ||
        !RelocatedTail(tail, dataStart, tailBytes, why)) {
        why = sourcePath + ": " + why;
        return kSfxSourceNotZip;
    }
    directory = zl::ZipDirectory();

    COutputFile out(fs, outputPath);
    if (!out.Valid()) {
        why = "cannot create a file beside " + outputPath + ": " + fs.LastErrorText();
        return kSfxOutputUnwritable;
    }
    auto writeFailed = [&] {
        why = "cannot write " + outputPath + ": " + fs.LastErrorText();
        return kSfxOutputUnwritable;
    };
    if (!out.Write(image) || !out.Write(payload)) return writeFailed();
    std::vector<char> buffer(size_t(std::min<uint64_t>(kCopyChunk, tail.centralStart - tail.dataStart + 1)));
    for (uint64_t at = tail.dataStart; at < tail.centralStart;) {
        const size_t want = size_t(std::min<uint64_t>(buffer.size(), tail.centralStart - at));
        if (source->ReadAt(at, buffer.data(), want) != int64_t(want)) {
            why = "cannot read " + sourcePath + ": " + fs.LastErrorText();
            return kSfxSourceUnreadable;
        }
        if (!out.Write(buffer.data(), want)) return writeFailed();
        at += want;
    }
    if (!out.Write(tailBytes)) return writeFailed();
    source.reset();   // the output may replace the source itself
    if (!out.Finish(outputPath)) return writeFailed();
    return kSfxOk;
}

}  // namespace

std::string ResolveScriptPath(const std::string& name, const std::string& baseFolder) {
    if (name.empty() || IsAbsolute(name) || baseFolder.empty()) return name;
    std::string inBase = baseFolder;
    if (inBase.back() != '\\' && inBase.back() != '/') inBase += '\\';
    inBase += name;
    zl::FileInfo info;
    return zl::PlatformFileSystem().Stat(inBase, info) ? inBase : name;
}

int BuildSelfExtractor(const CScript& script, const BuildSettings& settings, std::string& why) {
    try {
        return Build(script, settings, why);
    } catch (const std::bad_alloc&) {
        why = "out of memory";
    } catch (...) {
        why = "unexpected failure";
    }
    return kSfxInternal;
}

}  // namespace tb::sfx
