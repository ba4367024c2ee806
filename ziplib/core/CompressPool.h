#pragma once
// Compression of new entries on worker threads for CUpdateJob: each task (a
// whole file, or one block of a large file) is read, deflated and, when asked,
// encrypted by a worker; the writer takes the output task by task, in order.
// The output waiting for the writer is bounded, so memory does not grow with
// the size of the files.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include <zlib.h>

#include "Crypto.h"
#include "Events.h"
#include "Io.h"
#include "UpdateJob.h"
#include "WholeBuffer.h"

namespace zl {

// Limits of the compression pool.
constexpr size_t kChunkSize = 256 * 1024;                 // one read of a file, one piece of output
constexpr size_t kWholeFileLimit = kWholeBufferLimit;     // smaller files are compressed in one piece
constexpr size_t kTaskBufferLimit = 4 * 1024 * 1024;      // one task ahead of the writer holds at most this
constexpr size_t kPoolBufferLimit = 8 * 1024 * 1024;      // all tasks together, before new ones start
constexpr size_t kMaxTasksAhead = 512;
constexpr uint64_t kBlockSize = 1024 * 1024;              // a large file's blocks, compressed side by side
constexpr uint64_t kSplitThreshold = 4 * 1024 * 1024;     // files larger than this are cut into blocks

struct Chunk {
    std::vector<uint8_t> data;
    uint64_t input = 0;   // file bytes this chunk stands for
    size_t held = 0;      // memory it holds while it waits (its buffer's capacity)
};

// One new file on its way into the archive.
struct Task {
    const NewItem* item = nullptr;
    bool ready = false;        // method and ZIP64 choice known; chunks may follow
    bool done = false;
    ZipResult error = kZipOk;
    std::string why;
    std::deque<Chunk> chunks;
    size_t buffered = 0;
    uint16_t realMethod = kMethodDeflate;
    bool zip64 = false;
    uint32_t crc = 0;
    uint64_t size = 0, packed = 0;
    // A large file is cut into blocks compressed side by side: each block is a
    // task of its own, and the blocks' deflate output joins into one stream.
    uint32_t block = 0, blocks = 0;   // blocks = 0: the whole file in one task
    uint64_t start = 0, length = 0;   // the block's bytes in the file
};

// The compressors a worker keeps for all its tasks: a zlib stream for the
// blocks of large files (initialised once, reset per task) and the whole-buffer
// compressor for files.
class CDeflater {
public:
    CWholeDeflater& Whole() { return m_whole; }
    ~CDeflater() {
        if (m_on) deflateEnd(&m_zs);
    }
    z_stream* Get(int level) {
        if (!m_on) {
            if (deflateInit2(&m_zs, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return nullptr;
            m_on = true;
        } else if (deflateReset(&m_zs) != Z_OK) {
            return nullptr;
        }
        return &m_zs;
    }

private:
    z_stream m_zs{};
    bool m_on = false;
    CWholeDeflater m_whole;
};

// A deflate stream of one large file, fed piece by piece.
class CStreamDeflate {
public:
    ~CStreamDeflate() {
        if (m_on) deflateEnd(&m_zs);
    }
    bool Start(int level) {
        m_on = deflateInit2(&m_zs, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
        return m_on;
    }
    // Deflates from `in` into `out` after `used` until the input is taken or
    // the output is full; `last` finishes the stream (`ended` once it is).
    bool Run(const uint8_t*& in, size_t& inLeft, std::vector<uint8_t>& out, size_t& used, bool last, bool& ended) {
        m_zs.next_in = const_cast<uint8_t*>(in);
        m_zs.avail_in = uInt(inLeft);
        m_zs.next_out = out.data() + used;
        m_zs.avail_out = uInt(out.size() - used);
        int z = deflate(&m_zs, last ? Z_FINISH : Z_NO_FLUSH);
        used = out.size() - m_zs.avail_out;
        in = m_zs.next_in;
        inLeft = m_zs.avail_in;
        ended = z == Z_STREAM_END;
        return z != Z_STREAM_ERROR;
    }

private:
    z_stream m_zs{};
    bool m_on = false;
};

// The encryption stage of a new entry: nothing for plain entries; for AES, the
// salt and password check before the data, each chunk enciphered in order, and
// the authentication code after it.
class CSealStage {
public:
    CSealStage(ICrypto* crypto, const UpdateOptions& options);
    bool Start(std::vector<uint8_t>& header);
    bool Seal(std::vector<uint8_t>& data);
    bool Finish(std::vector<uint8_t>& mac);

private:
    ICrypto* m_crypto;
    const UpdateOptions& m_options;
    std::unique_ptr<CWinZipAes> m_aes;
};

// Compresses tasks on worker threads; the writer takes their output in order.
class CCompressPool {
public:
    // Files of `zip64From` bytes or more get ZIP64 local fields.
    CCompressPool(IFileSystem& fs, ICrypto* crypto, const UpdateOptions& options, uint64_t zip64From, std::vector<Task>& tasks)
        : m_fs(fs), m_crypto(crypto), m_options(options), m_zip64From(zip64From), m_tasks(tasks) {
        unsigned n = options.threads ? options.threads : std::max(1u, std::thread::hardware_concurrency());
        n = std::max(1u, std::min<unsigned>(n, unsigned(std::min<size_t>(tasks.size(), 16))));
        for (unsigned i = 0; i < n && !tasks.empty(); ++i) m_threads.emplace_back([this] { WorkerLoop(); });
    }
    ~CCompressPool() { Stop(); }

    void Stop() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_workerCv.notify_all();
        for (auto& t : m_threads) t.join();
        m_threads.clear();
    }

    // Writer side: waits until the head task can be written. Small files are
    // taken in batches: the writer sleeps until several are finished, so the
    // threads do not wake each other for every file (a wake-up is a round trip
    // through the Wine server).
    Task& WaitReady(size_t index) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_head = index;
        m_wakeAt = std::min(m_tasks.size(), index + kBatch) - 1;
        WakeWorkers();
        auto canWrite = [&] {
            const Task& t = m_tasks[index];
            if (!t.ready && !t.done) return false;
            return !t.done || m_tasks[m_wakeAt].done || m_stalled > 0 || m_buffered >= kPoolBufferLimit / 2;
        };
        if (!canWrite()) {
            m_writerWaiting = true;
            m_writerCv.wait(lock, canWrite);
            m_writerWaiting = false;
        }
        return m_tasks[index];
    }
    // Takes the next chunk of the head task; false when it has no more.
    bool NextChunk(size_t index, Chunk& chunk) {
        std::unique_lock<std::mutex> lock(m_mutex);
        Task& t = m_tasks[index];
        if (t.chunks.empty() && !t.done) {
            m_writerWaiting = true;
            m_writerCv.wait(lock, [&] { return !t.chunks.empty() || t.done; });
            m_writerWaiting = false;
        }
        if (t.chunks.empty()) return false;
        chunk = std::move(t.chunks.front());
        t.chunks.pop_front();
        t.buffered -= chunk.held;
        m_buffered -= chunk.held;
        WakeWorkers();
        return true;
    }
    void Release(size_t index) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_head = index + 1;
        WakeWorkers();
    }
    // Written chunks' buffers come back for new output: large blocks that are
    // freed and allocated again cost page faults and, with several threads,
    // serialise on the memory manager (notably under Wine).
    void Recycle(std::vector<uint8_t>&& buffer) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_spare.size() < kSpareBuffers && buffer.capacity() >= 64 * 1024) m_spare.push_back(std::move(buffer));
    }

private:
    static constexpr size_t kBatch = 32;
    static constexpr size_t kSpareBuffers = 8;

    std::vector<uint8_t> TakeBuffer(size_t size) {
        std::vector<uint8_t> buffer;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_spare.empty()) {
                buffer = std::move(m_spare.back());
                m_spare.pop_back();
            }
        }
        buffer.resize(size);
        return buffer;
    }

    // Both called with the mutex held.
    void WakeWorkers() {
        if (m_workersWaiting > 0) m_workerCv.notify_all();
    }
    void WakeWriter(size_t index) {
        if (m_writerWaiting && (index == m_head || index == m_wakeAt || m_stalled > 0)) m_writerCv.notify_one();
    }


    void SetError(Task& t, ZipResult r, const std::string& why) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (t.error == kZipOk) {
            t.error = r;
            t.why = why;
        }
    }

    void MarkReady(size_t index, Task& t) {
        std::lock_guard<std::mutex> lock(m_mutex);
        t.ready = true;
        WakeWriter(index);
    }

    // Hands a chunk to the writer; waits while this task holds too much and is
    // not the one being written. False when the job is stopping.
    bool Push(size_t index, Task& t, Chunk&& chunk) {
        std::unique_lock<std::mutex> lock(m_mutex);
        auto canPush = [&] { return m_stop || m_head == index || t.buffered < kTaskBufferLimit; };
        if (!canPush()) {
            ++m_workersWaiting;
            ++m_stalled;
            WakeWriter(m_head);
            m_workerCv.wait(lock, canPush);
            --m_workersWaiting;
            --m_stalled;
        }
        if (m_stop) return false;
        chunk.held = chunk.data.capacity();
        t.buffered += chunk.held;
        m_buffered += chunk.held;
        t.chunks.push_back(std::move(chunk));
        WakeWriter(index);
        return true;
    }

    bool Stopping() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_stop;
    }




    void WorkerLoop();
    // One block of a large file: deflated with the 32 KiB before it as the
    // dictionary and ended with a sync flush (the last one finishes the stream),
    // so the blocks' output joins into one valid deflate stream.
    void CompressBlock(size_t index, Task& t, CDeflater& deflater, std::vector<uint8_t>& scratch);
    // A whole file, through the stages CRC, deflate, encryption: small ones in
    // one piece, large ones streamed (one thread).
    void Compress(size_t index, Task& t, CDeflater& deflater, std::vector<uint8_t>& scratch);
    void CompressWhole(size_t index, Task& t, IReadFile& file, CDeflater& deflater, std::vector<uint8_t>& data,
                       CSealStage& seal, std::vector<uint8_t>& header);
    void CompressStream(size_t index, Task& t, IReadFile& file, CSealStage& seal, std::vector<uint8_t>& header);
    bool ReadWhole(Task& t, IReadFile& file, std::vector<uint8_t>& data);
    // Hand output to the writer: sealed by the encryption stage, or as it is
    // (the encryption's own header and authentication code).
    bool PushSealed(size_t index, Task& t, Chunk&& chunk, CSealStage& seal);
    bool PushPlain(size_t index, Task& t, std::vector<uint8_t>&& bytes);

    IFileSystem& m_fs;
    ICrypto* m_crypto;
    const UpdateOptions& m_options;
    uint64_t m_zip64From;
    std::vector<Task>& m_tasks;
    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_workerCv, m_writerCv;
    size_t m_next = 0;
    size_t m_head = 0;
    size_t m_buffered = 0;   // output held by all tasks
    std::vector<std::vector<uint8_t>> m_spare;
    size_t m_wakeAt = 0;     // the writer wants this task finished before it wakes
    int m_workersWaiting = 0;
    int m_stalled = 0;       // workers held back by the limits on buffered output
    bool m_writerWaiting = false;
    bool m_stop = false;
};

}  // namespace zl
