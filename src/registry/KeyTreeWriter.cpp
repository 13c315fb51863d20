// The key tree writer: a key's block, the sequential depth-first walk, and the helper threads
// that read the subtrees of the top key's subkeys while their text is written in order.
#include "registry/KeyTreeWriter.h"

#include "core/Handles.h"
#include "core/Result.h"
#include "registry/RegFileText.h"
#include "registry/RegItem.h"
#include "registry/RegistryAccess.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvasin
{

namespace
{
// Helper threads: calls in flight overlap on the registry's server well beyond the cores' count.
constexpr unsigned kHelperThreads = 4;
// A helper hands its text over in pieces of this size.
constexpr size_t kChunkSize = 64 * 1024;
// Text read ahead of what the sink has taken; past it helpers wait (the one whose text goes out
// next never does).
constexpr size_t kMaxReadAhead = 8 * 1024 * 1024;

// What one walk shares between its levels: the key's name in the file (grown and cut back as
// the walk goes down and up), and the line and data buffers, reused for every value.
struct TreeWalk
{
    CByteSink* pFile = nullptr;
    CString strKeyName;
    CString line;
    std::vector<BYTE> data;
    char szName[kRegItemNameSize] = {};
    // The Unicode form: real names and stored bytes, the text in UTF-8 for a UTF-16 sink.
    bool bUnicode = false;
    std::wstring wideName;
};

// The subkey at an index: its name as the file writes it and its key opened by its real name
// (null when it cannot be opened). False when the name cannot be read: the subkey is left out.
bool OpenSubkeyAt(HKEY hParent, DWORD dwIndex, TreeWalk& walk, CString& textName, UniqueHkey& subkey)
{
    if (walk.bUnicode)
    {
        if (!ReadSubkeyNameW(hParent, dwIndex, walk.wideName))
            return false;
        textName = ToUtf8(walk.wideName);
        if (OpenRegKeyW(hParent, walk.wideName.c_str(), MAXIMUM_ALLOWED, subkey.put()) != ERROR_SUCCESS)
            subkey.reset();
        return true;
    }
    if (!ReadSubkeyName(hParent, dwIndex, walk.szName, kRegItemNameSize))
        return false;
    textName = walk.szName;
    if (OpenRegKey(hParent, walk.szName, MAXIMUM_ALLOWED, subkey.put()) != ERROR_SUCCESS)
        subkey.reset();
    return true;
}

// The name of a subkey below the walk's key; a predefined key's name already ends in "\".
void EnterSubkey(TreeWalk& walk, const CString& name)
{
    if (walk.strKeyName.empty() || walk.strKeyName.back() != '\\')
        walk.strKeyName += '\\';
    walk.strKeyName += name;
}

// The block of the key named walk.strKeyName: its line, its values, an empty line. *pcSubkeys:
// the number of subkeys to visit (0 for a key that could not be opened or read).
bool WriteBlock(HKEY hKey, TreeWalk& walk, DWORD* pcSubkeys)
{
    DWORD cSubkeys = 0, cValues = 0, cbMaxData = 0;
    if (!hKey || ::RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, &cSubkeys, nullptr, nullptr,
                                    &cValues, nullptr, &cbMaxData, nullptr,
                                    nullptr) != ERROR_SUCCESS)
        cSubkeys = cValues = 0;
    *pcSubkeys = cSubkeys;

    walk.line.clear();
    AppendKeyLine(walk.line, walk.strKeyName);
    if (walk.data.size() < cbMaxData)
        walk.data.resize(cbMaxData);
    for (DWORD i = 0; i < cValues; ++i)
    {
        DWORD dwType = 0, cbData = 0;
        if (walk.bUnicode)
        {
            if (!ReadValueNameW(hKey, i, walk.wideName) ||
                !ReadTypedValueW(hKey, walk.wideName.c_str(), &dwType, walk.data))
                continue;
            AppendValueLineUnicode(walk.line, walk.wideName.c_str(), dwType, walk.data.data(),
                                   static_cast<DWORD>(walk.data.size()));
            if (walk.line.size() >= kChunkSize)
            {
                if (!walk.pFile->Write(walk.line))
                    return false;
                walk.line.clear();
            }
            continue;
        }
        // One call reads name, type and data; a value that cannot be read is left out.
        if (!ReadValueAt(hKey, i, walk.szName, kRegItemNameSize, &dwType, walk.data, &cbData))
            continue;
        AppendValueLine(walk.line, walk.szName, dwType, walk.data.data(), cbData);
        if (walk.line.size() >= kChunkSize)
        {
            if (!walk.pFile->Write(walk.line))
                return false;
            walk.line.clear();
        }
    }
    walk.line += c_szRegFileLineEnd;
    return walk.pFile->Write(walk.line);
}

bool WriteSubtree(HKEY hKey, TreeWalk& walk, unsigned nDepth);

// The trees of the first cSubkeys subkeys of hKey, each at depth nDepth.
bool WriteSubkeyTrees(HKEY hKey, DWORD cSubkeys, TreeWalk& walk, unsigned nDepth)
{
    const size_t cchParent = walk.strKeyName.size();
    for (DWORD i = 0; i < cSubkeys; ++i)
    {
        UniqueHkey subkey;
        CString name;
        if (!OpenSubkeyAt(hKey, i, walk, name, subkey))
            continue;
        EnterSubkey(walk, name);
        const bool bOk = WriteSubtree(subkey.get(), walk, nDepth);
        walk.strKeyName.resize(cchParent);
        if (!bOk)
            return false;
    }
    return true;
}

// The block of a key, then the trees of its subkeys. Subkeys are opened below their parent's
// handle: a path from the root fails once it passes the registry's limit on names, and the key
// would be lost from the file.
bool WriteSubtree(HKEY hKey, TreeWalk& walk, unsigned nDepth)
{
    DWORD cSubkeys = 0;
    if (!WriteBlock(hKey, walk, &cSubkeys))
        return false;
    // Deeper keys are left out rather than let the stack run out.
    if (nDepth >= kMaxKeyDepth)
        return true;
    return WriteSubkeyTrees(hKey, cSubkeys, walk, nDepth + 1);
}

// ---- the subtrees of the top key's subkeys, read by helper threads -----------------------------

// The state the helpers and the writing thread share, all of it behind the lock. Subtree i is
// the tree of subkey i; the one at m_iHead is the one whose text the sink takes now.
struct SubtreeQueue
{
    SubtreeQueue(HKEY hParentKey, const CString& strName, DWORD cCount)
        : hParent(hParentKey), strParentName(strName), cSubtrees(cCount), chunks(cCount),
          done(cCount, false)
    {
    }

    const HKEY hParent;
    const CString& strParentName;
    const DWORD cSubtrees;
    bool bUnicode = false; // set before the helpers start

    std::mutex lock;
    std::condition_variable changed;
    DWORD iNext = 0; // the next subtree a helper takes
    DWORD iHead = 0;
    std::vector<std::deque<std::string>> chunks;
    std::vector<bool> done;
    size_t cbReadAhead = 0;
    bool bStop = false;   // the sink failed, or a helper did: the rest is not wanted
    bool bFailed = false; // a helper failed (out of memory)
};

// Where a helper writes the text of one subtree: pieces handed to the queue.
class CSubtreeSink : public CByteSink
{
public:
    CSubtreeSink(SubtreeQueue& queue, DWORD iSubtree) noexcept : m_queue(queue), m_i(iSubtree) {}

    bool Write(const void* pData, size_t cb) noexcept override
    {
        try
        {
            m_pending.append(static_cast<const char*>(pData), cb);
        }
        CATCH_RETURN(false)
        return m_pending.size() < kChunkSize || HandOver();
    }

    // Hands over what is left and marks the subtree done; bOk false: the helper failed.
    void Finish(bool bOk) noexcept
    {
        if (bOk && !m_pending.empty())
            bOk = HandOver();
        std::lock_guard guard(m_queue.lock);
        m_queue.done[m_i] = true;
        if (!bOk && !m_queue.bStop)
        {
            m_queue.bFailed = true;
            m_queue.bStop = true;
        }
        m_queue.changed.notify_all();
    }

private:
    bool HandOver() noexcept
    {
        std::unique_lock guard(m_queue.lock);
        m_queue.changed.wait(guard, [this] {
            return m_queue.bStop || m_i == m_queue.iHead || m_queue.cbReadAhead <= kMaxReadAhead;
        });
        if (m_queue.bStop)
            return false;
        try
        {
            m_queue.chunks[m_i].push_back(std::move(m_pending));
        }
        CATCH_RETURN(false)
        m_queue.cbReadAhead += m_queue.chunks[m_i].back().size();
        m_pending = std::string();
        m_queue.changed.notify_all();
        return true;
    }

    SubtreeQueue& m_queue;
    const DWORD m_i;
    std::string m_pending;
};

// A helper: takes subtrees in order until none is left.
void RunHelper(SubtreeQueue& queue) noexcept
{
    TreeWalk walk;
    for (;;)
    {
        DWORD i;
        {
            std::lock_guard guard(queue.lock);
            if (queue.bStop || queue.iNext >= queue.cSubtrees)
                return;
            i = queue.iNext++;
        }
        CSubtreeSink sink(queue, i);
        bool bOk = true;
        // A subkey whose name cannot be read is left out, as in the walk of one thread.
        walk.bUnicode = queue.bUnicode;
        try
        {
            UniqueHkey subkey;
            CString name;
            if (OpenSubkeyAt(queue.hParent, i, walk, name, subkey))
            {
                walk.pFile = &sink;
                walk.strKeyName = queue.strParentName;
                EnterSubkey(walk, name);
                bOk = WriteSubtree(subkey.get(), walk, 1);
            }
        }
        catch (...)
        {
            bOk = false;
        }
        sink.Finish(bOk);
    }
}

// Writes the subtrees' text in order as the helpers deliver it. False when the sink or a
// helper failed; nothing is returned before every helper has ended.
bool WriteSubtreesInParallel(HKEY hKey, const CString& strKeyName, DWORD cSubkeys,
                             CByteSink& file, bool bUnicode, bool* pbStarted)
{
    *pbStarted = false;
    SubtreeQueue queue(hKey, strKeyName, cSubkeys);
    queue.bUnicode = bUnicode;
    std::vector<std::thread> helpers;
    try
    {
        const unsigned cHelpers = cSubkeys < kHelperThreads ? cSubkeys : kHelperThreads;
        helpers.reserve(cHelpers);
        for (unsigned i = 0; i < cHelpers; ++i)
            helpers.emplace_back(RunHelper, std::ref(queue));
    }
    catch (...)
    {
        // Fewer helpers than wanted still do the whole work; none at all leaves it to the
        // caller's walk.
    }
    if (helpers.empty())
        return false;
    *pbStarted = true;

    bool bOk = true;
    {
        std::unique_lock guard(queue.lock);
        while (queue.iHead < cSubkeys && !queue.bStop)
        {
            auto& chunks = queue.chunks[queue.iHead];
            if (!chunks.empty())
            {
                std::string chunk = std::move(chunks.front());
                chunks.pop_front();
                queue.cbReadAhead -= chunk.size();
                queue.changed.notify_all();
                guard.unlock();
                const bool bWritten = file.Write(chunk.data(), chunk.size());
                guard.lock();
                if (!bWritten)
                {
                    bOk = false;
                    queue.bStop = true;
                    queue.changed.notify_all();
                }
                continue;
            }
            if (queue.done[queue.iHead])
            {
                ++queue.iHead;
                queue.changed.notify_all();
                continue;
            }
            queue.changed.wait(guard);
        }
        if (queue.bFailed)
            bOk = false;
    }
    for (std::thread& helper : helpers)
        helper.join();
    return bOk;
}
} // namespace

bool CKeyTreeWriter::Write(HKEY hKey, const CString& strKeyName) noexcept
{
    try
    {
        TreeWalk walk;
        walk.pFile = &m_file;
        walk.strKeyName = strKeyName;
        walk.bUnicode = m_bUnicode;
        DWORD cSubkeys = 0;
        if (!WriteBlock(hKey, walk, &cSubkeys))
            return false;
        if (cSubkeys >= 2)
        {
            bool bStarted = false;
            const bool bOk = WriteSubtreesInParallel(hKey, strKeyName, cSubkeys, m_file, m_bUnicode, &bStarted);
            if (bStarted)
                return bOk;
        }
        // One subkey, or no helper could be started: this thread walks them.
        return WriteSubkeyTrees(hKey, cSubkeys, walk, 1);
    }
    CATCH_RETURN(false)
}

} // namespace corvasin
