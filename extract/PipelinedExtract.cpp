#include "extract/PipelinedExtract.h"

#include <process.h>

#include <cstring>
#include <memory>
#include <new>

#include "CPP/Common/MyCom.h"
#include "CPP/Windows/PropVariant.h"
#include "CPP/7zip/IPassword.h"
#include "orelib/win32/Handle.h"
#include "orelib/win32/SrwLock.h"

namespace extract {

namespace {

// What Extract takes for its item count to mean every item of the archive.
constexpr UInt32 kAllItems = static_cast<UInt32>(static_cast<Int32>(-1));

enum class Op : unsigned char { kGetStream, kPrepare, kWrite, kResult, kCompleted, kMessage, kTotal, kPassword };

// The answer to a call the handler waits for; on the handler's stack.
struct CReply {
    bool done = false;  // the call has run
    HRESULT result = S_OK;
};

// One call of the handler on its callback, queued for the calling thread.
struct CCall {
    std::unique_ptr<CCall> next;  // the queue's link
    CReply* reply = nullptr;      // a call the handler waits for: where the answer goes
    Op op = Op::kWrite;
    bool hasNumber = false;       // SetCompleted with a value
    UInt32 index = 0;             // item index; event index type for messages
    UInt32 index2 = 0;            // event index for messages
    Int32 mode = 0;               // ask mode, operation result
    UInt32 size = 0;              // bytes of data
    UInt64 number = 0;            // total, completed
    std::unique_ptr<Byte[]> data;  // a write's bytes
    BSTR* password = nullptr;     // where the password goes: the handler's, while it waits
};
using CCallPtr = std::unique_ptr<CCall>;

// Null when there is no memory: the handler's calls answer E_OUTOFMEMORY
// then rather than throw.
CCallPtr NewCall(Op op) {
    CCallPtr call(new (std::nothrow) CCall);
    if (call) call->op = op;
    return call;
}

// The queue between the two threads; it owns the calls in it. Only the
// calling thread runs calls, so only it records the failure; the handler
// learns of it at its next call.
class CCallPipe {
public:
    explicit CCallPipe(size_t maxAheadBytes) : m_maxAheadBytes(maxAheadBytes) {}
    CCallPipe(const CCallPipe&) = delete;
    CCallPipe& operator=(const CCallPipe&) = delete;

    // One record at a time: a long queue must not unwind as a deep recursion.
    ~CCallPipe() {
        while (m_head) m_head = std::move(m_head->next);
    }

    // Handler's side: queues a call it need not wait for; waits while too
    // much data is ahead. Returns the failure so far (the call is dropped then).
    HRESULT Post(CCallPtr call) {
        orelib::CSrwExclusiveLock lock(m_lock);
        while (m_failure == S_OK && m_aheadBytes > m_maxAheadBytes) lock.Wait(m_changed);
        if (m_failure == S_OK) Append(std::move(call));
        return m_failure;
    }

    // Handler's side: queues a call and waits until it ran; its result.
    HRESULT Call(CCallPtr call) {
        CReply reply;
        call->reply = &reply;
        orelib::CSrwExclusiveLock lock(m_lock);
        if (m_failure != S_OK) return m_failure;
        Append(std::move(call));
        while (!reply.done) lock.Wait(m_changed);
        return reply.result;
    }

    // Handler's side: it has returned; nothing more comes.
    void Close() {
        orelib::CSrwExclusiveLock lock(m_lock);
        m_closed = true;
        WakeAllConditionVariable(&m_changed);
    }

    // Calling thread: the next call, or null once all are taken and the
    // handler has returned.
    CCallPtr Take() {
        orelib::CSrwExclusiveLock lock(m_lock);
        while (!m_head && !m_closed) lock.Wait(m_changed);
        CCallPtr call = std::move(m_head);
        if (call) {
            m_head = std::move(call->next);
            if (!m_head) m_tail = &m_head;
            m_aheadBytes -= Cost(*call);
            if (m_aheadBytes <= m_maxAheadBytes / 2) WakeAllConditionVariable(&m_changed);
        }
        return call;
    }

    // Calling thread: `call` ran (or was passed over) with `result`; the
    // record goes when this returns.
    void Done(CCallPtr call, HRESULT result) {
        if (!call->reply && result == S_OK) return;
        orelib::CSrwExclusiveLock lock(m_lock);
        if (result != S_OK && m_failure == S_OK) m_failure = result;
        if (call->reply) {
            // The handler may return as soon as the lock is free: the reply
            // is not touched after this.
            call->reply->result = result;
            call->reply->done = true;
        }
        WakeAllConditionVariable(&m_changed);
    }

private:
    void Append(CCallPtr call) {
        m_aheadBytes += Cost(*call);
        CCall* last = call.get();
        *m_tail = std::move(call);
        m_tail = &last->next;
        WakeAllConditionVariable(&m_changed);
    }

    // Records count too: an archive of many empty files queues no data.
    static size_t Cost(const CCall& call) { return sizeof(CCall) + call.size; }

    const size_t m_maxAheadBytes;
    SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_changed = CONDITION_VARIABLE_INIT;
    CCallPtr m_head;
    CCallPtr* m_tail = &m_head;
    size_t m_aheadBytes = 0;
    HRESULT m_failure = S_OK;
    bool m_closed = false;
};

// The handler's thread holds the two objects below and the calling thread
// releases them last: their counts change on either thread.

// What the handler writes into: one stream for every file, queuing the data.
class CPipeOutStream final : public ISequentialOutStream, public CMyUnknownImp {
    Z7_COM_QI_BEGIN2(ISequentialOutStream)
    Z7_COM_QI_END_MT
    Z7_COM_ADDREF_RELEASE_MT
    Z7_IFACE_COM7_IMP(ISequentialOutStream)

public:
    explicit CPipeOutStream(CCallPipe& pipe) : m_pipe(pipe) {}

private:
    CCallPipe& m_pipe;
};

Z7_COM7F_IMF(CPipeOutStream::Write(const void* data, UInt32 size, UInt32* processedSize)) {
    if (processedSize) *processedSize = 0;
    if (size == 0) return S_OK;
    CCallPtr call = NewCall(Op::kWrite);
    if (!call) return E_OUTOFMEMORY;
    call->data.reset(new (std::nothrow) Byte[size]);
    if (!call->data) return E_OUTOFMEMORY;
    std::memcpy(call->data.get(), data, size);
    call->size = size;
    RINOK(m_pipe.Post(std::move(call)))
    if (processedSize) *processedSize = size;
    return S_OK;
}

// What the handler calls: every call is queued for the calling thread. It
// offers the optional interfaces only when the real callback has them: the
// handler asks for them and works differently without.
class CPipeCallback final : public IArchiveExtractCallback,
                            public IArchiveExtractCallbackMessage2,
                            public ICryptoGetTextPassword,
                            public CMyUnknownImp {
    Z7_COM_QI_BEGIN2(IArchiveExtractCallback)
    Z7_COM_QI_ENTRY(IProgress)
    else if (iid == IID_IArchiveExtractCallbackMessage2 && m_hasMessages) {
        *outObject = static_cast<IArchiveExtractCallbackMessage2*>(this);
    }
    else if (iid == IID_ICryptoGetTextPassword && m_hasPassword) {
        *outObject = static_cast<ICryptoGetTextPassword*>(this);
    }
    Z7_COM_QI_END_MT
    Z7_COM_ADDREF_RELEASE_MT
    Z7_IFACE_COM7_IMP(IProgress)
    Z7_IFACE_COM7_IMP(IArchiveExtractCallback)
    Z7_IFACE_COM7_IMP(IArchiveExtractCallbackMessage2)
    Z7_IFACE_COM7_IMP(ICryptoGetTextPassword)

public:
    CPipeCallback(CCallPipe& pipe, bool hasMessages, bool hasPassword)
        : m_pipe(pipe), m_stream(new CPipeOutStream(pipe)), m_hasMessages(hasMessages), m_hasPassword(hasPassword) {}

private:
    HRESULT PostMode(Op op, Int32 mode) {
        CCallPtr call = NewCall(op);
        if (!call) return E_OUTOFMEMORY;
        call->mode = mode;
        return m_pipe.Post(std::move(call));
    }

    CCallPipe& m_pipe;
    CMyComPtr<ISequentialOutStream> m_stream;
    const bool m_hasMessages;
    const bool m_hasPassword;
};

Z7_COM7F_IMF(CPipeCallback::SetTotal(UInt64 total)) {
    CCallPtr call = NewCall(Op::kTotal);
    if (!call) return E_OUTOFMEMORY;
    call->number = total;
    return m_pipe.Call(std::move(call));
}

Z7_COM7F_IMF(CPipeCallback::SetCompleted(const UInt64* completed)) {
    CCallPtr call = NewCall(Op::kCompleted);
    if (!call) return E_OUTOFMEMORY;
    call->hasNumber = completed != nullptr;
    call->number = completed ? *completed : 0;
    return m_pipe.Post(std::move(call));
}

Z7_COM7F_IMF(CPipeCallback::GetStream(UInt32 index, ISequentialOutStream** outStream, Int32 askExtractMode)) {
    *outStream = nullptr;
    CCallPtr call = NewCall(Op::kGetStream);
    if (!call) return E_OUTOFMEMORY;
    call->index = index;
    call->mode = askExtractMode;
    RINOK(m_pipe.Post(std::move(call)))
    // Whether the callback gives a stream is known only later: the data
    // always goes into the queue, and is dropped there when none came.
    CMyComPtr<ISequentialOutStream> stream = m_stream;
    *outStream = stream.Detach();
    return S_OK;
}

Z7_COM7F_IMF(CPipeCallback::PrepareOperation(Int32 askExtractMode)) { return PostMode(Op::kPrepare, askExtractMode); }

Z7_COM7F_IMF(CPipeCallback::SetOperationResult(Int32 opRes)) { return PostMode(Op::kResult, opRes); }

Z7_COM7F_IMF(CPipeCallback::ReportExtractResult(UInt32 indexType, UInt32 index, Int32 opRes)) {
    CCallPtr call = NewCall(Op::kMessage);
    if (!call) return E_OUTOFMEMORY;
    call->index = indexType;
    call->index2 = index;
    call->mode = opRes;
    return m_pipe.Post(std::move(call));
}

Z7_COM7F_IMF(CPipeCallback::CryptoGetTextPassword(BSTR* password)) {
    *password = nullptr;
    CCallPtr call = NewCall(Op::kPassword);
    if (!call) return E_OUTOFMEMORY;
    // The callback's answer, wiped when it goes; the handler gets its own copy.
    CMyComBSTR_Wipe answer;
    call->password = &answer;
    RINOK(m_pipe.Call(std::move(call)))
    const LPCOLESTR given = answer;
    if (!given) return S_OK;
    *password = SysAllocString(given);
    return *password ? S_OK : E_OUTOFMEMORY;
}

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
                return WriteAll(call.data.get(), call.size);
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
                return m_password->CryptoGetTextPassword(call.password);
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
    // Declared first, gone last: the handler's objects refer to the queue.
    CCallPipe pipe(maxAheadBytes);
    CReplay replay(archive, callback);
    CMyComPtr<IArchiveExtractCallback> proxy =
        new CPipeCallback(pipe, replay.HasMessages(), replay.HasPassword());

    CDecodeJob job{archive, proxy, &pipe};
    const orelib::CHandle thread(
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &DecodeThread, &job, 0, nullptr)));
    if (!thread) return archive->Extract(nullptr, kAllItems, 0, callback);

    HRESULT failure = S_OK;
    while (CCallPtr call = pipe.Take()) {
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
        pipe.Done(std::move(call), result);
    }
    WaitForSingleObject(thread.Get(), INFINITE);
    replay.End();
    return failure != S_OK ? failure : job.result;
}

}  // namespace extract
