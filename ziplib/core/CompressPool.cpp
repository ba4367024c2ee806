#include "CompressPool.h"

#include <algorithm>
#include <cstring>

namespace zl {

void CCompressPool::WorkerLoop() {
    CDeflater deflater;
    std::vector<uint8_t> scratch;
    for (;;) {
        size_t index;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            // Run ahead of the writer while the output waiting for it stays small.
            auto canTake = [&] {
                return m_stop || (m_next < m_tasks.size() && m_next < m_head + kMaxTasksAhead &&
                                  (m_buffered < kPoolBufferLimit || m_next == m_head));
            };
            if (!canTake()) {
                const bool stalled = m_next < m_tasks.size();   // held back, not out of work
                ++m_workersWaiting;
                if (stalled) {
                    ++m_stalled;
                    WakeWriter(m_head);
                }
                m_workerCv.wait(lock, canTake);
                --m_workersWaiting;
                if (stalled) --m_stalled;
            }
            if (m_stop || m_next >= m_tasks.size()) return;
            index = m_next++;
        }
        Task& t = m_tasks[index];
        try {
            if (t.blocks > 0) CompressBlock(index, t, deflater, scratch);
            else Compress(index, t, deflater, scratch);
        } catch (...) {
            SetError(t, kZipInternal, "out of memory");
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        t.done = true;
        WakeWriter(index);
    }
}

void CCompressPool::CompressBlock(size_t index, Task& t, CDeflater& deflater, std::vector<uint8_t>& scratch) {
    std::unique_ptr<IReadFile> file = m_fs.OpenRead(t.item->path);
    if (!file) {
        SetError(t, kZipIncomplete, m_fs.LastErrorText());
        return;
    }
    const size_t dictionary = t.block > 0 ? size_t(std::min<uint64_t>(t.start, 32768)) : 0;
    const size_t length = size_t(t.length);
    scratch.resize(dictionary + length);
    if (file->ReadAt(t.start - dictionary, scratch.data(), dictionary + length) != int64_t(dictionary + length)) {
        SetError(t, kZipIncomplete, "the file changed while it was read");
        return;
    }
    file.reset();
    z_stream* zs = deflater.Get(m_options.level);
    if (zs == nullptr || (dictionary > 0 && deflateSetDictionary(zs, scratch.data(), uInt(dictionary)) != Z_OK)) {
        SetError(t, kZipInternal, "compression failed");
        return;
    }
    const bool last = t.block + 1 == t.blocks;
    Chunk c;
    c.input = length;
    c.data = TakeBuffer(deflateBound(zs, uLong(length)) + 64);
    zs->next_in = scratch.data() + dictionary;
    zs->avail_in = uInt(length);
    size_t used = 0;
    for (;;) {
        if (used == c.data.size()) c.data.resize(c.data.size() * 2);
        zs->next_out = c.data.data() + used;
        zs->avail_out = uInt(c.data.size() - used);
        int z = deflate(zs, last ? Z_FINISH : Z_SYNC_FLUSH);
        used = c.data.size() - zs->avail_out;
        if (z == Z_STREAM_ERROR) {
            SetError(t, kZipInternal, "compression failed");
            return;
        }
        if (last ? z == Z_STREAM_END : (zs->avail_in == 0 && zs->avail_out != 0)) break;
    }
    c.data.resize(used);
    t.realMethod = kMethodDeflate;
    t.crc = Crc32(0, scratch.data() + dictionary, length);
    t.size = length;
    t.packed = used;
    MarkReady(index, t);
    Push(index, t, std::move(c));
}

CSealStage::CSealStage(ICrypto* crypto, const UpdateOptions& options) : m_crypto(crypto), m_options(options) {}

bool CSealStage::Start(std::vector<uint8_t>& header) {
    header.clear();
    if (!m_options.encrypt) return true;
    header.resize(AesSaltSize(3) + kAesCheckSize);
    m_aes.reset(new CWinZipAes(*m_crypto));
    uint8_t check[2];
    if (!m_crypto->Random(header.data(), AesSaltSize(3)) || !m_aes->Init(m_options.password, 3, header.data(), check))
        return false;
    header[AesSaltSize(3)] = check[0];
    header[AesSaltSize(3) + 1] = check[1];
    return true;
}

bool CSealStage::Seal(std::vector<uint8_t>& data) { return !m_aes || m_aes->Encrypt(data.data(), data.size()); }

bool CSealStage::Finish(std::vector<uint8_t>& mac) {
    mac.clear();
    if (!m_aes) return true;
    mac.resize(kAesMacSize);
    return m_aes->FinalMac(mac.data());
}

bool CCompressPool::PushSealed(size_t index, Task& t, Chunk&& chunk, CSealStage& seal) {
    if (!seal.Seal(chunk.data)) {
        SetError(t, kZipInternal, "the encryption functions failed");
        return false;
    }
    t.packed += chunk.data.size();
    return Push(index, t, std::move(chunk));
}

bool CCompressPool::PushPlain(size_t index, Task& t, std::vector<uint8_t>&& bytes) {
    if (bytes.empty()) return true;
    Chunk c;
    c.data = std::move(bytes);
    t.packed += c.data.size();
    return Push(index, t, std::move(c));
}

void CCompressPool::Compress(size_t index, Task& t, CDeflater& deflater, std::vector<uint8_t>& scratch) {
    std::unique_ptr<IReadFile> file = m_fs.OpenRead(t.item->path);
    if (!file) {
        SetError(t, kZipIncomplete, m_fs.LastErrorText());
        return;
    }
    t.zip64 = file->Size() >= m_zip64From;
    CSealStage seal(m_crypto, m_options);
    std::vector<uint8_t> header;
    if (!seal.Start(header)) {
        SetError(t, kZipInternal, "the encryption functions failed");
        return;
    }
    if (file->Size() <= kWholeFileLimit) CompressWhole(index, t, *file, deflater, scratch, seal, header);
    else CompressStream(index, t, *file, seal, header);
}

bool CCompressPool::ReadWhole(Task& t, IReadFile& file, std::vector<uint8_t>& data) {
    data.resize(size_t(file.Size()) + 1);
    size_t have = 0;
    for (;;) {
        if (have == data.size()) data.resize(data.size() * 2);
        int64_t got = file.ReadAt(have, data.data() + have, data.size() - have);
        if (got < 0) {
            SetError(t, kZipIncomplete, m_fs.LastErrorText());
            return false;
        }
        if (got == 0) break;
        have += size_t(got);
        if (have > kWholeFileLimit * 4) break;  // it grew a lot while we read it; take what we have
    }
    data.resize(have);
    return true;
}

void CCompressPool::CompressWhole(size_t index, Task& t, IReadFile& file, CDeflater& deflater, std::vector<uint8_t>& data,
                                  CSealStage& seal, std::vector<uint8_t>& header) {
    if (!ReadWhole(t, file, data)) return;
    // CRC stage.
    t.size = data.size();
    t.crc = Crc32(0, data.data(), data.size());
    // Deflate stage: the smaller of deflated and stored is kept.
    Chunk c;
    c.input = data.size();
    t.realMethod = kMethodStored;
    if (m_options.level > 0 && !data.empty()) {
        c.data = TakeBuffer(0);
        const size_t packed = deflater.Whole().Compress(m_options.level, data.data(), data.size(), c.data);
        if (packed > 0) {
            c.data.resize(packed);
            t.realMethod = kMethodDeflate;
        }
    }
    if (t.realMethod == kMethodStored) {
        if (c.data.empty()) c.data = TakeBuffer(0);
        c.data.assign(data.begin(), data.end());
    }
    // Encryption stage, then the writer.
    std::vector<uint8_t> mac;
    if (!seal.Seal(c.data) || !seal.Finish(mac)) {
        SetError(t, kZipInternal, "the encryption functions failed");
        return;
    }
    t.packed += c.data.size();
    MarkReady(index, t);
    PushPlain(index, t, std::move(header)) && Push(index, t, std::move(c)) && PushPlain(index, t, std::move(mac));
}

void CCompressPool::CompressStream(size_t index, Task& t, IReadFile& file, CSealStage& seal, std::vector<uint8_t>& header) {
    t.realMethod = m_options.level > 0 ? kMethodDeflate : kMethodStored;
    MarkReady(index, t);
    if (!PushPlain(index, t, std::move(header))) return;
    CStreamDeflate deflate;
    if (t.realMethod == kMethodDeflate && !deflate.Start(m_options.level)) {
        SetError(t, kZipInternal, "out of memory");
        return;
    }
    std::vector<uint8_t> input(kChunkSize);
    uint64_t offset = 0;
    Chunk out;
    out.data = TakeBuffer(kChunkSize);
    size_t outUsed = 0;
    // Hands a full (or the last) output chunk to the encryption stage and the writer.
    auto emit = [&]() -> bool {
        out.data.resize(outUsed);
        if (!PushSealed(index, t, std::move(out), seal)) return false;
        out = Chunk();
        out.data = TakeBuffer(kChunkSize);
        outUsed = 0;
        return true;
    };
    for (bool eof = false; !eof;) {
        if (Stopping()) return;
        int64_t got = file.ReadAt(offset, input.data(), input.size());
        if (got < 0) {
            SetError(t, kZipIncomplete, m_fs.LastErrorText());
            return;
        }
        eof = got == 0;
        offset += uint64_t(got);
        // CRC stage.
        t.crc = Crc32(t.crc, input.data(), size_t(got));
        t.size += uint64_t(got);
        out.input += uint64_t(got);
        if (t.realMethod == kMethodStored) {
            if (got > 0) {
                std::memcpy(out.data.data(), input.data(), size_t(got));
                outUsed = size_t(got);
                if (!emit()) return;
            }
            continue;
        }
        // Deflate stage.
        const uint8_t* in = input.data();
        size_t inLeft = size_t(got);
        for (;;) {
            bool ended = false;
            if (!deflate.Run(in, inLeft, out.data, outUsed, eof, ended)) {
                SetError(t, kZipInternal, "compression failed");
                return;
            }
            if (outUsed == out.data.size() && !emit()) return;
            if (eof ? ended : inLeft == 0 && outUsed != out.data.size()) break;
        }
    }
    std::vector<uint8_t> mac;
    if (outUsed > 0 && !emit()) return;
    if (!seal.Finish(mac)) {
        SetError(t, kZipInternal, "the encryption functions failed");
        return;
    }
    PushPlain(index, t, std::move(mac));
}

}  // namespace zl
