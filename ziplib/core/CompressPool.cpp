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
    t.crc = uint32_t(crc32(0, scratch.data() + dictionary, uInt(length)));
    t.size = length;
    t.packed = used;
    MarkReady(index, t);
    Push(index, t, std::move(c));
}

void CCompressPool::Compress(size_t index, Task& t, CDeflater& deflater, std::vector<uint8_t>& scratch) {
    std::unique_ptr<IReadFile> file = m_fs.OpenRead(t.item->path);
    if (!file) {
        SetError(t, kZipIncomplete, m_fs.LastErrorText());
        return;
    }
    const uint64_t size = file->Size();
    const bool encrypt = m_options.encrypt;
    t.zip64 = m_options.forceZip64 || size >= kZip64Reserve;
    std::unique_ptr<CWinZipAes> aes;
    std::vector<uint8_t> header;
    if (encrypt) {
        header.resize(AesSaltSize(3) + kAesCheckSize);
        aes.reset(new CWinZipAes(*m_crypto));
        uint8_t check[2];
        if (!m_crypto->Random(header.data(), AesSaltSize(3)) || !aes->Init(m_options.password, 3, header.data(), check)) {
            SetError(t, kZipInternal, "the encryption functions failed");
            return;
        }
        header[16] = check[0];
        header[17] = check[1];
    }
    auto seal = [&](Chunk& c) -> bool {
        return !aes || aes->Encrypt(c.data.data(), c.data.size());
    };
    auto finishAes = [&]() -> bool {
        if (!aes) return true;
        Chunk mac;
        mac.data.resize(kAesMacSize);
        if (!aes->FinalMac(mac.data.data())) return false;
        t.packed += kAesMacSize;
        return Push(index, t, std::move(mac));
    };
    auto pushHeader = [&]() -> bool {
        if (header.empty()) return true;
        Chunk c;
        c.data = header;
        t.packed += header.size();
        return Push(index, t, std::move(c));
    };

    if (size <= kWholeFileLimit) {
        // Small file: read it whole, keep the smaller of deflated and stored.
        std::vector<uint8_t>& data = scratch;
        data.resize(size_t(size) + 1);
        size_t have = 0;
        for (;;) {
            if (have == data.size()) data.resize(data.size() * 2);
            int64_t got = file->ReadAt(have, data.data() + have, data.size() - have);
            if (got < 0) {
                SetError(t, kZipIncomplete, m_fs.LastErrorText());
                return;
            }
            if (got == 0) break;
            have += size_t(got);
            if (have > kWholeFileLimit * 4) break;  // it grew a lot while we read it; take what we have
        }
        data.resize(have);
        t.size = have;
        t.crc = uint32_t(crc32(0, data.data(), uInt(have)));
        Chunk c;
        c.input = have;
        t.realMethod = kMethodStored;
        if (m_options.level > 0 && have > 0) {
            uLongf bound = compressBound(uLong(have)) + 64;
            c.data = TakeBuffer(bound);
            z_stream* zs = deflater.Get(m_options.level);
            if (zs == nullptr) {
                SetError(t, kZipInternal, "out of memory");
                return;
            }
            zs->next_in = data.data();
            zs->avail_in = uInt(have);
            zs->next_out = c.data.data();
            zs->avail_out = uInt(bound);
            int z = deflate(zs, Z_FINISH);
            size_t packed = bound - zs->avail_out;
            if (z == Z_STREAM_END && packed < have) {
                c.data.resize(packed);
                t.realMethod = kMethodDeflate;
            }
        }
        if (t.realMethod == kMethodStored) {
            if (c.data.empty()) c.data = TakeBuffer(0);
            c.data.assign(data.begin(), data.end());
        }
        if (!seal(c)) {
            SetError(t, kZipInternal, "the encryption functions failed");
            return;
        }
        t.packed += c.data.size();
        MarkReady(index, t);
        if (!pushHeader() || !Push(index, t, std::move(c)) || !finishAes()) return;
        return;
    }

    // Large file: stream it through deflate in pieces.
    t.realMethod = m_options.level > 0 ? kMethodDeflate : kMethodStored;
    MarkReady(index, t);
    if (!pushHeader()) return;
    z_stream zs{};
    const bool deflating = t.realMethod == kMethodDeflate;
    if (deflating && deflateInit2(&zs, m_options.level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        SetError(t, kZipInternal, "out of memory");
        return;
    }
    struct ZGuard {
        z_stream* zs;
        bool on;
        ~ZGuard() { if (on) deflateEnd(zs); }
    } guard{&zs, deflating};
    std::vector<uint8_t> input(kChunkSize);
    uint64_t offset = 0;
    Chunk out;
    out.data = TakeBuffer(kChunkSize);
    size_t outUsed = 0;
    bool eof = false;
    while (!eof) {
        if (Stopping()) return;
        int64_t got = file->ReadAt(offset, input.data(), input.size());
        if (got < 0) {
            SetError(t, kZipIncomplete, m_fs.LastErrorText());
            return;
        }
        eof = got == 0;
        offset += uint64_t(got);
        t.crc = uint32_t(crc32(t.crc, input.data(), uInt(got)));
        t.size += uint64_t(got);
        out.input += uint64_t(got);
        auto emit = [&]() -> bool {
            out.data.resize(outUsed);
            if (!seal(out)) {
                SetError(t, kZipInternal, "the encryption functions failed");
                return false;
            }
            t.packed += outUsed;
            if (!Push(index, t, std::move(out))) return false;
            out = Chunk();
            out.data = TakeBuffer(kChunkSize);
            outUsed = 0;
            return true;
        };
        if (!deflating) {
            if (got > 0) {
                std::memcpy(out.data.data(), input.data(), size_t(got));
                outUsed = size_t(got);
                if (!emit()) return;
            }
            continue;
        }
        zs.next_in = input.data();
        zs.avail_in = uInt(got);
        for (;;) {
            zs.next_out = out.data.data() + outUsed;
            zs.avail_out = uInt(out.data.size() - outUsed);
            int z = deflate(&zs, eof ? Z_FINISH : Z_NO_FLUSH);
            outUsed = out.data.size() - zs.avail_out;
            if (z == Z_STREAM_ERROR) {
                SetError(t, kZipInternal, "compression failed");
                return;
            }
            if (outUsed == out.data.size() && !emit()) return;
            if (eof ? z == Z_STREAM_END : (zs.avail_in == 0 && zs.avail_out != 0)) break;
        }
    }
    if (outUsed > 0 && !EmitTail(t, index, out, outUsed, seal)) return;
    finishAes();
}

template <typename Seal>
bool CCompressPool::EmitTail(Task& t, size_t index, Chunk& out, size_t used, Seal& seal) {
    out.data.resize(used);
    if (!seal(out)) {
        SetError(t, kZipInternal, "the encryption functions failed");
        return false;
    }
    t.packed += used;
    return Push(index, t, std::move(out));
}

}  // namespace zl
