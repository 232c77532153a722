#include "extract/PipelinedExtract.h"

#include <process.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "CPP/Common/MyCom.h"
#include "CPP/Windows/PropVariant.h"
#include "CPP/7zip/IPassword.h"
#include "orelib/win32/Handle.h"

namespace extract {

namespace {

// What Extract takes for its item count to mean every item of the archive.
constexpr UInt32 kAllItems = static_cast<UInt32>(static_cast<Int32>(-1));

enum class Op : unsigned char { kGetStream, kPrepare, kWrite, kResult, kCompleted, kMessage, kTotal, kPassword };

// One call of the handler on its callback, queued for the calling thread.
// A write's data follows the record in the same allocation.
struct CCall {
    CCall* next = nullptr;
    Op op = Op::kWrite;
    bool waited = false;     // on the handler's stack: the handler waits for the result
    bool done = false;       // a waited call has run
    bool hasNumber = false;  // SetCompleted with a value
    UInt32 index = 0;        // item index; event index type for messages
    UInt32 index2 = 0;       // event index for messages
    Int32 mode = 0;          // ask mode, operation result
    UInt32 size = 0;         // bytes of data after the record
    UInt64 number = 0;       // total, completed
    HRESULT result = S_OK;   // of a waited call
    BSTR password = nullptr;

    Byte* Data() { return reinterpret_cast<Byte*>(this + 1); }
};

CCall* NewCall(Op op, UInt32 size = 0) {
    void* memory = std::malloc(sizeof(CCall) + size);
    if (!memory) return nullptr;
    CCall* call = new (memory) CCall;
    call->op = op;
    call->size = size;
    return call;
}

// The queue between the two threads. Only the calling thread runs calls,
// so only it records the failure; the handler learns of it at its next call.
class CCallPipe {
public:
    explicit CCallPipe(size_t maxAheadBytes) : m_maxAheadBytes(maxAheadBytes) {}
    CCallPipe(const CCallPipe&) = delete;
    CCallPipe& operator=(const CCallPipe&) = delete;

    ~CCallPipe() {
        while (CCall* call = m_head) {
            m_head = call->next;
            std::free(call);
        }
    }

    // Handler's side: queues a call it need not wait for and takes it over;
    // waits while too much data is ahead. Returns the failure so far.
    HRESULT Post(CCall* call) {
        AcquireSRWLockExclusive(&m_lock);
        while (m_failure == S_OK && m_aheadBytes > m_maxAheadBytes) {
            SleepConditionVariableSRW(&m_changed, &m_lock, INFINITE, 0);
        }
        const HRESULT failure = m_failure;
        if (failure == S_OK) Append(call);
        ReleaseSRWLockExclusive(&m_lock);
        if (failure != S_OK) std::free(call);
        return failure;
    }

    // Handler's side: queues a call and waits until it ran; its result.
    HRESULT Call(CCall& call) {
        call.waited = true;
        AcquireSRWLockExclusive(&m_lock);
        HRESULT result = m_failure;
        if (result == S_OK) {
            Append(&call);
            while (!call.done) SleepConditionVariableSRW(&m_changed, &m_lock, INFINITE, 0);
            result = call.result;
        }
        ReleaseSRWLockExclusive(&m_lock);
        return result;
    }

    // Handler's side: it has returned; nothing more comes.
    void Close() {
        AcquireSRWLockExclusive(&m_lock);
        m_closed = true;
        WakeAllConditionVariable(&m_changed);
        ReleaseSRWLockExclusive(&m_lock);
    }

    // Calling thread: the next call, or null once all are taken and the
    // handler has returned.
    CCall* Take() {
        AcquireSRWLockExclusive(&m_lock);
        while (!m_head && !m_closed) SleepConditionVariableSRW(&m_changed, &m_lock, INFINITE, 0);
        CCall* call = m_head;
        if (call) {
            m_head = call->next;
            if (!m_head) m_tail = &m_head;
            m_aheadBytes -= Cost(*call);
            if (m_aheadBytes <= m_maxAheadBytes / 2) WakeAllConditionVariable(&m_changed);
        }
        ReleaseSRWLockExclusive(&m_lock);
        return call;
    }

    // Calling thread: `call` ran (or was passed over) with `result`.
    void Done(CCall* call, HRESULT result) {
        if (!call->waited && result == S_OK) {
            std::free(call);
            return;
        }
        AcquireSRWLockExclusive(&m_lock);
        if (result != S_OK && m_failure == S_OK) m_failure = result;
        if (call->waited) {
            call->result = result;
            call->done = true;
        }
        WakeAllConditionVariable(&m_changed);
        ReleaseSRWLockExclusive(&m_lock);
        if (!call->waited) std::free(call);
    }

private:
    void Append(CCall* call) {
        *m_tail = call;
        m_tail = &call->next;
        m_aheadBytes += Cost(*call);
        WakeAllConditionVariable(&m_changed);
    }

    // Records count too: an archive of many empty files queues no data.
    static size_t Cost(const CCall& call) { return sizeof(CCall) + call.size; }

    const size_t m_maxAheadBytes;
    SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_changed = CONDITION_VARIABLE_INIT;
    CCall* m_head = nullptr;
    CCall** m_tail = &m_head;
    size_t m_aheadBytes = 0;
    HRESULT m_failure = S_OK;
    bool m_closed = false;
};

// Reference counting for objects the handler's thread holds and the calling
// thread releases last.
#define PIPE_COM_REFCOUNT                                                                    \
    STDMETHOD_(ULONG, AddRef)() override { return InterlockedIncrement(&m_refCount); }      \
    STDMETHOD_(ULONG, Release)() override {                                                  \
        const LONG count = InterlockedDecrement(&m_refCount);                                 \
        if (count == 0) delete this;                                                          \
        return count;                                                                         \
    }                                                                                         \
    LONG m_refCount = 1;

// What the handler writes into: one stream for every file, queuing the data.
class CPipeOutStream final : public ISequentialOutStream {
public:
    explicit CPipeOutStream(CCallPipe& pipe) : m_pipe(pipe) {}

    STDMETHOD(QueryInterface)(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid != IID_IUnknown && iid != IID_ISequentialOutStream) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<ISequentialOutStream*>(this);
        AddRef();
        return S_OK;
    }
    PIPE_COM_REFCOUNT

    Z7_COM7F_IMF(Write(const void* data, UInt32 size, UInt32* processedSize)) {
        if (processedSize) *processedSize = 0;
        if (size == 0) return S_OK;
        CCall* call = NewCall(Op::kWrite, size);
        if (!call) return E_OUTOFMEMORY;
        std::memcpy(call->Data(), data, size);
        RINOK(m_pipe.Post(call))
        if (processedSize) *processedSize = size;
        return S_OK;
    }

private:
    ~CPipeOutStream() = default;
    CCallPipe& m_pipe;
};

// What the handler calls: every call is queued for the calling thread.
class CPipeCallback final : public IArchiveExtractCallback,
                            public IArchiveExtractCallbackMessage2,
                            public ICryptoGetTextPassword {
public:
    CPipeCallback(CCallPipe& pipe, bool hasMessages, bool hasPassword)
        : m_pipe(pipe), m_stream(new CPipeOutStream(pipe)), m_hasMessages(hasMessages), m_hasPassword(hasPassword) {}

    STDMETHOD(QueryInterface)(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IProgress || iid == IID_IArchiveExtractCallback) {
            *out = static_cast<IArchiveExtractCallback*>(this);
        } else if (iid == IID_IArchiveExtractCallbackMessage2 && m_hasMessages) {
            *out = static_cast<IArchiveExtractCallbackMessage2*>(this);
        } else if (iid == IID_ICryptoGetTextPassword && m_hasPassword) {
            *out = static_cast<ICryptoGetTextPassword*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    PIPE_COM_REFCOUNT

    Z7_COM7F_IMF(SetTotal(UInt64 total)) {
        CCall call;
        call.op = Op::kTotal;
        call.number = total;
        return m_pipe.Call(call);
    }

    Z7_COM7F_IMF(SetCompleted(const UInt64* completed)) {
        CCall* call = NewCall(Op::kCompleted);
        if (!call) return E_OUTOFMEMORY;
        call->hasNumber = completed != nullptr;
        call->number = completed ? *completed : 0;
        return m_pipe.Post(call);
    }

    Z7_COM7F_IMF(GetStream(UInt32 index, ISequentialOutStream** outStream, Int32 askExtractMode)) {
        *outStream = nullptr;
        CCall* call = NewCall(Op::kGetStream);
        if (!call) return E_OUTOFMEMORY;
        call->index = index;
        call->mode = askExtractMode;
        RINOK(m_pipe.Post(call))
        // Whether the callback gives a stream is known only later: the data
        // always goes into the queue, and is dropped there when none came.
        m_stream->AddRef();
        *outStream = m_stream;
        return S_OK;
    }

    Z7_COM7F_IMF(PrepareOperation(Int32 askExtractMode)) { return PostMode(Op::kPrepare, askExtractMode); }

    Z7_COM7F_IMF(SetOperationResult(Int32 opRes)) { return PostMode(Op::kResult, opRes); }

    Z7_COM7F_IMF(ReportExtractResult(UInt32 indexType, UInt32 index, Int32 opRes)) {
        CCall* call = NewCall(Op::kMessage);
        if (!call) return E_OUTOFMEMORY;
        call->index = indexType;
        call->index2 = index;
        call->mode = opRes;
        return m_pipe.Post(call);
    }

    Z7_COM7F_IMF(CryptoGetTextPassword(BSTR* password)) {
        *password = nullptr;
        CCall call;
        call.op = Op::kPassword;
        const HRESULT result = m_pipe.Call(call);
        if (result == S_OK) {
            *password = call.password;
        } else if (call.password) {
            SysFreeString(call.password);
        }
        return result;
    }

private:
    ~CPipeCallback() { m_stream->Release(); }

    HRESULT PostMode(Op op, Int32 mode) {
        CCall* call = NewCall(op);
        if (!call) return E_OUTOFMEMORY;
        call->mode = mode;
        return m_pipe.Post(call);
    }

    CCallPipe& m_pipe;
    CPipeOutStream* m_stream;
    const bool m_hasMessages;
    const bool m_hasPassword;
};

#undef PIPE_COM_REFCOUNT

bool IsTrue(IInArchive* archive, UInt32 index, PROPID id) {
    NWindows::NCOM::CPropVariant value;
    return archive->GetProperty(index, id, &value) == S_OK && value.vt == VT_BOOL && value.boolVal != VARIANT_FALSE;
}

// Runs the queued calls on the real callback, on the calling thread.
class CReplay {
public:
    CReplay(IInArchive* archive, IArchiveExtractCallback* callback) : m_archive(archive), m_callback(callback) {
        callback->QueryInterface(IID_IArchiveExtractCallbackMessage2, reinterpret_cast<void**>(&m_messages));
        callback->QueryInterface(IID_ICryptoGetTextPassword, reinterpret_cast<void**>(&m_password));
    }

    bool HasMessages() const { return m_messages != nullptr; }
    bool HasPassword() const { return m_password != nullptr; }

    HRESULT Run(CCall& call) {
        switch (call.op) {
            case Op::kGetStream:
                m_stream.Release();
                m_index = call.index;
                return m_callback->GetStream(call.index, &m_stream, call.mode);
            case Op::kPrepare:
                return m_callback->PrepareOperation(AskMode(call.mode));
            case Op::kWrite:
                return WriteAll(call.Data(), call.size);
            case Op::kResult:
                // The file is closed by the callback: no reference may outlive it.
                m_stream.Release();
                return m_callback->SetOperationResult(call.mode);
            case Op::kCompleted:
                return m_callback->SetCompleted(call.hasNumber ? &call.number : nullptr);
            case Op::kMessage:
                return m_messages->ReportExtractResult(call.index, call.index2, call.mode);
            case Op::kTotal:
                return m_callback->SetTotal(call.number);
            case Op::kPassword:
                return m_password->CryptoGetTextPassword(&call.password);
        }
        return E_UNEXPECTED;
    }

    // The end of the run: the last file's stream goes back to the callback.
    void End() { m_stream.Release(); }

private:
    // The handler passes a file over as a skip, not an extraction, when the
    // callback gave it no stream; it saw a stream here, so that is decided
    // now. Folders and deletion markers keep their mode, as they do there.
    Int32 AskMode(Int32 mode) const {
        if (mode != NArchive::NExtract::NAskMode::kExtract || m_stream) return mode;
        if (IsTrue(m_archive, m_index, kpidIsDir) || IsTrue(m_archive, m_index, kpidIsAnti)) return mode;
        return NArchive::NExtract::NAskMode::kSkip;
    }

    HRESULT WriteAll(const Byte* data, UInt32 size) {
        if (!m_stream) return S_OK;  // a file the callback skips
        while (size != 0) {
            UInt32 written = 0;
            RINOK(m_stream->Write(data, size, &written))
            if (written == 0 || written > size) return E_FAIL;
            data += written;
            size -= written;
        }
        return S_OK;
    }

    IInArchive* m_archive;
    IArchiveExtractCallback* m_callback;
    CMyComPtr<IArchiveExtractCallbackMessage2> m_messages;
    CMyComPtr<ICryptoGetTextPassword> m_password;
    CMyComPtr<ISequentialOutStream> m_stream;
    UInt32 m_index = 0;
};

struct CDecodeJob {
    IInArchive* archive;
    IArchiveExtractCallback* callback;
    CCallPipe* pipe;
    HRESULT result = E_UNEXPECTED;
};

unsigned __stdcall DecodeThread(void* param) {
    CDecodeJob& job = *static_cast<CDecodeJob*>(param);
    // The handler turns whatever is thrown inside it into E_OUTOFMEMORY.
    try {
        job.result = job.archive->Extract(nullptr, kAllItems, 0, job.callback);
    } catch (...) {
        job.result = E_OUTOFMEMORY;
    }
    job.pipe->Close();
    return 0;
}

}  // namespace

HRESULT ExtractPipelined(IInArchive* archive, IArchiveExtractCallback* callback, size_t maxAheadBytes) {
    CCallPipe pipe(maxAheadBytes);
    CReplay replay(archive, callback);
    CPipeCallback* proxy = new CPipeCallback(pipe, replay.HasMessages(), replay.HasPassword());
    CMyComPtr<IArchiveExtractCallback> proxyHolder;
    proxyHolder.Attach(proxy);

    CDecodeJob job{archive, proxy, &pipe};
    orelib::CHandle thread(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &DecodeThread, &job, 0, nullptr)));
    if (!thread) return archive->Extract(nullptr, kAllItems, 0, callback);

    HRESULT failure = S_OK;
    while (CCall* call = pipe.Take()) {
        // After a failure nothing more reaches the callback; waiting calls
        // are answered with the failure.
        HRESULT result = failure;
        if (failure == S_OK) {
            // What the callback throws counts as it would inside the handler.
            try {
                result = replay.Run(*call);
            } catch (...) {
                result = E_OUTOFMEMORY;
            }
            failure = result;
        }
        pipe.Done(call, result);
    }
    WaitForSingleObject(thread.Get(), INFINITE);
    replay.End();
    return failure != S_OK ? failure : job.result;
}

}  // namespace extract
