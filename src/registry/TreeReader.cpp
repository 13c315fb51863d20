// The tree reader: the keys known so far as a tree of nodes, the work the helpers take in the
// order of the walk, the read-ahead budget, and the user's side that hands the entries over.
#include "registry/TreeReader.h"

#include "core/Handles.h"
#include "core/SrwLock.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <set>
#include <thread>

namespace corvasin
{

namespace
{
// A helper hands a key's values over in pieces of about this size.
constexpr long long kChunkBytes = 64 * 1024;
// What a key the helpers know of costs before its values are read (the node, its name, its path).
constexpr long long kNodeCost = 512;
// A value that keeps growing between the calls is given up after a few rounds.
constexpr int kReadAttempts = 4;

long long EntryCost(const TreeEntry& entry) noexcept
{
    return static_cast<long long>(sizeof(TreeEntry) + entry.name.size() * sizeof(wchar_t) +
                                  entry.data.size());
}

struct Chunk
{
    std::vector<TreeEntry> entries;
    long long cb = 0;
};

// One key of the tree. Made when a helper takes it, freed when the user has passed its end.
struct Node
{
    Node* pParent = nullptr;
    // The indices from the start key down to this key: the walk's order is the order of these.
    std::vector<DWORD> path;
    unsigned nDepth = 0;
    DWORD dwIndex = 0;
    std::wstring name;

    HKEY hKey = nullptr;
    UniqueHkey owned; // empty for the start key, which is the caller's
    // Its own value reads and each subkey's open below it; the last one closes the key.
    DWORD cHandleUsers = 0;

    bool bOpenDone = false; // name and key known, or bSkipped
    bool bOpened = false;
    bool bSkipped = false;  // vanished: nothing of it is handed over
    bool bInfoDone = false; // counts known
    bool bRead = false;     // every value is in chunks

    DWORD cValues = 0;
    DWORD cSubkeys = 0; // to be visited (none past the depth limit)
    DWORD cchMaxName = 0;
    DWORD cbMaxData = 0;
    // With bNamesFirst: the subkeys' names in index order (empty: it could not be read), and
    // what they hold of the budget until the user passes the key.
    std::vector<std::wstring> subkeyNames;
    long long cbNames = 0;
    long long cbEstimate = 0; // what its values may take, from the counts
    bool bReserved = false;   // read ahead: its estimate is held in the budget
    long long cbReserved = 0;
    long long cbProduced = 0;

    std::deque<Chunk> chunks;
    long long cbQueued = 0;

    // Subkeys made and not yet passed by the user, in index order.
    std::deque<std::unique_ptr<Node>> children;
    DWORD iNextChild = 0; // the index of the next subkey to be made
    DWORD cPassed = 0;    // subkeys the user has passed

    enum Stage
    {
        kStart,
        kValues,
        kChildren
    } stage = kStart;
};

// A key to read (the start key, or one set aside for lack of budget), or a node's next subkey to
// be made and read.
struct Work
{
    Node* pNode;
    bool bNextChild;
};

// The walk's order: paths compared index by index, a key before its subkeys.
struct WorkOrder
{
    bool operator()(const Work& a, const Work& b) const noexcept
    {
        const std::vector<DWORD>& pa = a.pNode->path;
        const std::vector<DWORD>& pb = b.pNode->path;
        const size_t ca = pa.size() + (a.bNextChild ? 1 : 0);
        const size_t cb = pb.size() + (b.bNextChild ? 1 : 0);
        for (size_t i = 0; i < ca && i < cb; ++i)
        {
            const DWORD da = i < pa.size() ? pa[i] : a.pNode->iNextChild;
            const DWORD db = i < pb.size() ? pb[i] : b.pNode->iNextChild;
            if (da != db)
                return da < db;
        }
        return ca < cb;
    }
};

// A helper's reused buffers.
struct Buffers
{
    std::vector<wchar_t> name;
    std::vector<BYTE> data;
};

// The value at an index in one call while name and data fit the buffers; when one grew since
// the key's sizes were read, the buffers grow to its current sizes and it is read again.
bool ReadValueEntry(HKEY hKey, DWORD dwIndex, bool bData, Buffers& buffers, TreeEntry& entry)
{
    for (int nAttempt = 0; nAttempt < kReadAttempts; ++nAttempt)
    {
        DWORD cch = static_cast<DWORD>(buffers.name.size());
        DWORD cb = static_cast<DWORD>(buffers.data.size());
        DWORD dwType = REG_NONE;
        LONG lResult = ::RegEnumValueW(hKey, dwIndex, buffers.name.data(), &cch, nullptr, &dwType,
                                       bData ? buffers.data.data() : nullptr, bData ? &cb : nullptr);
        if (lResult == ERROR_SUCCESS)
        {
            entry.name.assign(buffers.name.data(), cch < buffers.name.size() ? cch : buffers.name.size() - 1);
            entry.dwType = dwType;
            if (bData)
                entry.data.assign(buffers.data.data(), buffers.data.data() + (cb < buffers.data.size() ? cb : buffers.data.size()));
            return true;
        }
        if (lResult != ERROR_MORE_DATA)
            return false;
        buffers.name.resize(kMaxValueNameChars + 1);
        cch = kMaxValueNameChars + 1;
        DWORD cbNeeded = 0;
        lResult = ::RegEnumValueW(hKey, dwIndex, buffers.name.data(), &cch, nullptr, nullptr, nullptr,
                                  bData ? &cbNeeded : nullptr);
        if (lResult != ERROR_SUCCESS)
            return false;
        if (cbNeeded + 1 > buffers.data.size())
            buffers.data.resize(cbNeeded + 1);
    }
    return false;
}
} // namespace

struct CTreeReader::State
{
    TreeReaderOptions options;

    CSrwLock lock;
    // Each wait and wake is a system call and a thread switch, so each side is woken only when
    // it waits and something it waits for changed: helpers one at a time (a helper that takes
    // work and leaves more wakes the next), the user when it waits.
    CConditionVariable helpersWake; // helpers waiting for work or budget
    CConditionVariable queueWake;   // the helper reading the user's key, waiting for it to take pieces
    CConditionVariable userWake;
    unsigned cIdleHelpers = 0;
    bool bUserWaiting = false;
    std::atomic<bool> bStop{false};
    bool bFailed = false;
    bool bInline = false; // no helper runs: the user's thread reads what it waits for

    std::unique_ptr<Node> pRoot;
    std::set<Work, WorkOrder> work;
    long long cbReadAhead = 0;
    unsigned cBusy = 0; // helpers inside a key
    // Where the user is: the key it takes entries of, or the subkey it waits to be made.
    Node* pHead = nullptr;
    Node* pHeadParent = nullptr;
    DWORD iHeadChild = 0;

    std::vector<std::thread> helpers;
    std::atomic<unsigned> cRunning{0};

    // The user's side, on the user's thread only.
    std::vector<Node*> stack;
    Chunk current;
    size_t iCurrent = 0;
    TreeEntry keyEntry;
    // Keys the user has passed, closed by the next call outside the lock.
    std::vector<UniqueHkey> passedKeys;
    bool bSkipping = false;
    unsigned nSkipDepth = 0;
    bool bEnded = false;

    // ---- under the lock ------------------------------------------------------------------------
    bool IsHead(const Work& w) const noexcept
    {
        if (!w.bNextChild)
            return w.pNode == pHead;
        return !pHead && pHeadParent == w.pNode && w.pNode->iNextChild == iHeadChild;
    }

    bool Fits(const Work& w) const noexcept
    {
        const long long cb = w.bNextChild ? kNodeCost : w.pNode->cbEstimate;
        return cbReadAhead + cb <= static_cast<long long>(options.cbReadAhead);
    }

    void WakeAll() noexcept
    {
        helpersWake.notify_all();
        queueWake.notify_all();
        userWake.notify_all();
    }

    void Fail() noexcept
    {
        bFailed = true;
        bStop = true;
        WakeAll();
    }

    // Work was added, budget freed or the user moved: one idle helper looks; once nothing is
    // left to do at all, every idle helper ends.
    void WorkChanged() noexcept
    {
        if (cIdleHelpers == 0)
            return;
        if (work.empty() && cBusy == 0)
            helpersWake.notify_all();
        else
            helpersWake.notify_one();
    }

    void WakeUser() noexcept
    {
        if (bUserWaiting)
            userWake.notify_one();
    }

    void WaitForWork(std::unique_lock<CSrwLock>& guard) noexcept
    {
        ++cIdleHelpers;
        helpersWake.wait(guard);
        --cIdleHelpers;
    }

    // The node's next subkey, made now.
    Node* MakeChild(Node& parent)
    {
        auto pChild = std::make_unique<Node>();
        pChild->pParent = &parent;
        pChild->dwIndex = parent.iNextChild;
        pChild->nDepth = parent.nDepth + 1;
        pChild->path.reserve(parent.path.size() + 1);
        pChild->path = parent.path;
        pChild->path.push_back(parent.iNextChild);
        Node* p = pChild.get();
        parent.children.push_back(std::move(pChild));
        ++parent.iNextChild;
        cbReadAhead += kNodeCost;
        if (parent.iNextChild < parent.cSubkeys)
            work.insert({&parent, true});
        return p;
    }

    // One use of a node's key ends; the last one hands the key back for closing (outside the lock).
    UniqueHkey EndHandleUse(Node& node) noexcept
    {
        if (node.cHandleUsers > 0 && --node.cHandleUsers == 0)
            return std::move(node.owned);
        return UniqueHkey();
    }

    // Whether the helper may read the node's values now; otherwise it is set aside as work.
    bool Claim(Node& node)
    {
        if (pHead == &node || bInline)
            return true;
        if (cbReadAhead + node.cbEstimate > static_cast<long long>(options.cbReadAhead))
        {
            work.insert({&node, false});
            return false;
        }
        node.bReserved = true;
        node.cbReserved = node.cbEstimate;
        cbReadAhead += node.cbEstimate;
        return true;
    }

    // ---- the helpers' side ---------------------------------------------------------------------

    // Takes the first work in the walk's order once it is the user's next key or fits the
    // budget. False: stopped, or every key is read.
    bool TakeWork(std::unique_lock<CSrwLock>& guard, Node** ppNode, bool* pbOpen)
    {
        for (;;)
        {
            if (bStop)
                return false;
            if (work.empty())
            {
                if (cBusy == 0 || bInline)
                {
                    helpersWake.notify_all();
                    return false;
                }
                WaitForWork(guard);
                continue;
            }
            const Work w = *work.begin();
            if (IsHead(w) || Fits(w) || bInline)
            {
                work.erase(work.begin());
                ++cBusy;
                *pbOpen = w.bNextChild;
                *ppNode = w.bNextChild ? MakeChild(*w.pNode) : w.pNode;
                // A key set aside is claimed now (it fitted a moment ago); the start key and new
                // subkeys are claimed once their counts are known.
                if (!w.bNextChild && (*ppNode)->bInfoDone && !Claim(**ppNode))
                {
                    --cBusy;
                    continue;
                }
                if (!work.empty())
                    WorkChanged();
                return true;
            }
            WaitForWork(guard);
        }
    }

    // Opens a new node below its parent. False when it vanished (and is done).
    bool OpenNode(Node& node)
    {
        Node& parent = *node.pParent;
        std::wstring name;
        HKEY hKey = nullptr;
        LSTATUS rc = ERROR_FILE_NOT_FOUND;
        bool bNamed = false;
        if (options.bNamesFirst)
        {
            // Read with the parent's counts and not changed since: no lock needed.
            if (node.dwIndex < parent.subkeyNames.size() && !parent.subkeyNames[node.dwIndex].empty())
            {
                name = parent.subkeyNames[node.dwIndex];
                bNamed = true;
            }
        }
        else
            bNamed = ReadSubkeyNameW(parent.hKey, node.dwIndex, name);
        if (bNamed)
            rc = OpenRegKeyW(parent.hKey, name.c_str(), options.samSubkeys, &hKey);
        UniqueHkey opened(rc == ERROR_SUCCESS ? hKey : nullptr);
        UniqueHkey parentKey;
        std::lock_guard guard(lock);
        parentKey = EndHandleUse(parent);
        node.bOpenDone = true;
        WakeUser();
        if (!bNamed || rc == ERROR_FILE_NOT_FOUND)
        {
            node.bSkipped = node.bInfoDone = node.bRead = true;
            --cBusy;
            WorkChanged();
            return false;
        }
        node.name = std::move(name);
        node.bOpened = rc == ERROR_SUCCESS;
        node.hKey = opened.get();
        node.owned = std::move(opened);
        return true;
    }

    // Reads the node's counts and makes its subkeys available. False when it was set aside.
    bool ReadInfo(Node& node)
    {
        DWORD cSubkeys = 0, cValues = 0, cchMaxName = 0, cbMaxData = 0;
        if (!node.hKey || ::RegQueryInfoKeyW(node.hKey, nullptr, nullptr, nullptr, &cSubkeys, nullptr,
                                             nullptr, &cValues, &cchMaxName, &cbMaxData, nullptr,
                                             nullptr) != ERROR_SUCCESS)
            cSubkeys = cValues = cchMaxName = cbMaxData = 0;
        std::vector<std::wstring> names;
        long long cbNames = 0;
        if (options.bNamesFirst && node.nDepth < options.nMaxDepth)
        {
            names.resize(cSubkeys);
            for (DWORD i = 0; i < cSubkeys && !bStop; ++i)
            {
                if (!ReadSubkeyNameW(node.hKey, i, names[i]))
                    names[i].clear();
                cbNames += static_cast<long long>(sizeof(std::wstring) + names[i].size() * sizeof(wchar_t));
            }
        }
        std::lock_guard guard(lock);
        node.bInfoDone = true;
        node.subkeyNames = std::move(names);
        node.cbNames = cbNames;
        cbReadAhead += cbNames;
        node.cSubkeys = node.nDepth < options.nMaxDepth ? cSubkeys : 0;
        node.cValues = options.bValues ? cValues : 0;
        node.cchMaxName = cchMaxName;
        node.cbMaxData = options.bValueData ? cbMaxData : 0;
        node.cbEstimate = static_cast<long long>(node.cValues) *
                          static_cast<long long>(sizeof(TreeEntry) + (cchMaxName + 1) * sizeof(wchar_t) + node.cbMaxData);
        // The user's own use, with bKeepKeys, ends when it passes the key's end.
        node.cHandleUsers = 1 + node.cSubkeys + (options.bKeepKeys ? 1 : 0);
        if (node.cSubkeys > 0)
        {
            work.insert({&node, true});
            WorkChanged();
        }
        if (Claim(node))
            return true;
        --cBusy;
        WorkChanged();
        return false;
    }

    // Hands a piece of the node's values to the user. A key read for the user that waits for it
    // holds no budget: it waits while two pieces are not yet taken. The last piece ends the
    // helper's work on the node in the same step: the user may free the node right after it.
    void HandOver(Node& node, Chunk& chunk, bool bLast)
    {
        UniqueHkey key;
        std::unique_lock guard(lock);
        if (!node.bReserved && !bInline)
            queueWake.wait(guard, [&] { return bStop || node.cbQueued < 2 * kChunkBytes; });
        if (!chunk.entries.empty())
        {
            node.cbQueued += chunk.cb;
            node.cbProduced += chunk.cb;
            if (!node.bReserved)
                cbReadAhead += chunk.cb;
            node.chunks.push_back(std::move(chunk));
        }
        chunk = Chunk();
        if (bLast)
        {
            if (node.bReserved)
            {
                cbReadAhead += node.cbProduced - node.cbReserved;
                node.bReserved = false;
            }
            key = EndHandleUse(node);
            node.bRead = true;
            --cBusy;
            WorkChanged();
        }
        WakeUser();
        guard.unlock();
    }

    void ReadValues(Node& node, Buffers& buffers)
    {
        const bool bData = options.bValueData;
        if (buffers.name.size() < node.cchMaxName + 1)
            buffers.name.resize(node.cchMaxName + 1);
        if (buffers.data.size() < node.cbMaxData + 1)
            buffers.data.resize(node.cbMaxData + 1);
        Chunk chunk;
        for (DWORD i = 0; i < node.cValues && !bStop; ++i)
        {
            TreeEntry entry;
            if (!ReadValueEntry(node.hKey, i, bData, buffers, entry))
                continue;
            entry.kind = TreeEntry::Value;
            entry.nDepth = node.nDepth;
            entry.dwIndex = i;
            chunk.cb += EntryCost(entry);
            chunk.entries.push_back(std::move(entry));
            if (chunk.cb >= kChunkBytes)
                HandOver(node, chunk, false);
        }
        HandOver(node, chunk, true);
    }

    // One key: opened (a new subkey), counted, then its values read unless it was set aside.
    void DoWork(Node& node, bool bOpen, Buffers& buffers)
    {
        if (bOpen && !OpenNode(node))
            return;
        if (!node.bInfoDone && !ReadInfo(node))
            return;
        ReadValues(node, buffers);
    }

    void RunHelper() noexcept
    {
        try
        {
            Buffers buffers;
            for (;;)
            {
                Node* pNode = nullptr;
                bool bOpen = false;
                {
                    std::unique_lock guard(lock);
                    if (!TakeWork(guard, &pNode, &bOpen))
                        break;
                }
                DoWork(*pNode, bOpen, buffers);
            }
        }
        catch (...)
        {
            std::lock_guard guard(lock);
            Fail();
        }
        --cRunning;
    }

    void JoinHelpers() noexcept
    {
        for (std::thread& helper : helpers)
            if (helper.joinable())
                helper.join();
    }

    // ---- the user's side -----------------------------------------------------------------------

    void SetHead(Node* pNode, Node* pParent, DWORD iChild) noexcept
    {
        if (pHead == pNode && pHeadParent == pParent && iHeadChild == iChild)
            return;
        pHead = pNode;
        pHeadParent = pParent;
        iHeadChild = iChild;
        // The user's next key may be taken beyond the budget.
        WorkChanged();
    }

    void FillKeyEntry(const Node& node, TreeEntry::Kind kind)
    {
        keyEntry.kind = kind;
        keyEntry.bOpened = node.bOpened;
        keyEntry.nDepth = node.nDepth;
        keyEntry.dwIndex = node.dwIndex;
        keyEntry.dwType = REG_NONE;
        keyEntry.name = node.name;
        keyEntry.hKey = options.bKeepKeys ? node.hKey : nullptr;
    }

    // The user has passed the key on top of the stack: it is freed.
    void PopNode()
    {
        if (options.bKeepKeys)
        {
            UniqueHkey key = EndHandleUse(*stack.back());
            if (key)
                passedKeys.push_back(std::move(key));
        }
        cbReadAhead -= stack.back()->cbNames;
        stack.pop_back();
        if (stack.empty())
        {
            bEnded = true;
            return;
        }
        Node& parent = *stack.back();
        parent.children.pop_front();
        ++parent.cPassed;
        cbReadAhead -= kNodeCost;
        WorkChanged();
    }
};

CTreeReader::CTreeReader(HKEY hStart, const TreeReaderOptions& options) noexcept
{
    try
    {
        m_p = std::make_unique<State>();
        State& s = *m_p;
        s.options = options;
        s.pRoot = std::make_unique<Node>();
        Node& root = *s.pRoot;
        root.hKey = hStart;
        root.bOpened = hStart != nullptr;
        root.bOpenDone = true;
        s.stack.push_back(&root);
        s.pHead = &root;
        s.work.insert({&root, false});
        const unsigned cHelpers = options.cHelpers ? options.cHelpers : 1;
        s.helpers.reserve(cHelpers);
        for (unsigned i = 0; i < cHelpers; ++i)
        {
            ++s.cRunning;
            try
            {
                s.helpers.emplace_back([&s] { s.RunHelper(); });
            }
            catch (...)
            {
                --s.cRunning;
                break;
            }
        }
        // Without helpers the user's thread reads each key as it comes to it.
        s.bInline = s.helpers.empty();
    }
    catch (...)
    {
        if (m_p)
        {
            m_p->bStop = true;
            m_p->bFailed = true;
        }
    }
}

CTreeReader::~CTreeReader()
{
    if (!m_p)
        return;
    Cancel();
    m_p->JoinHelpers();
}

void CTreeReader::Cancel() noexcept
{
    if (!m_p)
        return;
    std::lock_guard guard(m_p->lock);
    m_p->bStop = true;
    m_p->WakeAll();
}

bool CTreeReader::Failed() const noexcept
{
    if (!m_p)
        return true;
    std::lock_guard guard(m_p->lock);
    return m_p->bFailed;
}

unsigned CTreeReader::RunningHelpers() const noexcept
{
    return m_p ? m_p->cRunning.load() : 0;
}

void CTreeReader::SkipSubtree() noexcept
{
    if (!m_p || m_p->stack.empty() || m_p->bSkipping)
        return;
    m_p->bSkipping = true;
    m_p->nSkipDepth = m_p->stack.back()->nDepth;
}

CTreeReader::Result CTreeReader::Next(const TreeEntry** ppEntry, DWORD dwWaitMs) noexcept
{
    *ppEntry = nullptr;
    if (!m_p)
        return Result::End;
    State& s = *m_p;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwWaitMs);
    s.passedKeys.clear();
    try
    {
        std::unique_lock guard(s.lock);
        for (;;)
        {
            if (s.bStop || s.bEnded)
            {
                // After a cancel the helpers have ended, and the keys they opened are closed,
                // before the walk is said to be over.
                if (s.bStop && !s.stack.empty())
                {
                    s.WakeAll();
                    guard.unlock();
                    s.JoinHelpers();
                    guard.lock();
                    s.stack.clear();
                    s.current = Chunk();
                    s.work.clear();
                    s.pRoot.reset();
                }
                return Result::End;
            }
            if (s.iCurrent < s.current.entries.size())
            {
                const TreeEntry& entry = s.current.entries[s.iCurrent++];
                if (s.bSkipping)
                    continue;
                *ppEntry = &entry;
                return Result::Entry;
            }
            Node& node = *s.stack.back();
            bool bWait = false;
            switch (node.stage)
            {
            case Node::kStart:
                s.SetHead(&node, nullptr, 0);
                if (!node.bOpenDone)
                {
                    bWait = true;
                    break;
                }
                if (node.bSkipped)
                {
                    s.PopNode();
                    continue;
                }
                node.stage = Node::kValues;
                if (s.bSkipping)
                    continue;
                s.FillKeyEntry(node, TreeEntry::KeyStart);
                *ppEntry = &s.keyEntry;
                return Result::Entry;
            case Node::kValues:
                if (!node.chunks.empty())
                {
                    s.current = std::move(node.chunks.front());
                    node.chunks.pop_front();
                    s.iCurrent = 0;
                    node.cbQueued -= s.current.cb;
                    s.cbReadAhead -= s.current.cb;
                    s.queueWake.notify_all();
                    s.WorkChanged();
                    continue;
                }
                if (!node.bRead)
                {
                    bWait = true;
                    break;
                }
                node.stage = Node::kChildren;
                continue;
            case Node::kChildren:
                if (node.cPassed < node.cSubkeys)
                {
                    if (!node.children.empty())
                    {
                        s.stack.push_back(node.children.front().get());
                        continue;
                    }
                    s.SetHead(nullptr, &node, node.cPassed);
                    bWait = true;
                    break;
                }
                {
                    s.FillKeyEntry(node, TreeEntry::KeyEnd);
                    bool bReport = !s.bSkipping;
                    if (s.bSkipping && node.nDepth == s.nSkipDepth)
                        s.bSkipping = false;
                    s.PopNode();
                    if (!bReport)
                        continue;
                    *ppEntry = &s.keyEntry;
                    return Result::Entry;
                }
            }
            if (!bWait)
                continue;
            if (s.bInline)
            {
                // No helper: this thread reads the key it waits for.
                Node* pNode = nullptr;
                bool bOpen = false;
                if (!s.TakeWork(guard, &pNode, &bOpen))
                {
                    s.Fail();
                    continue;
                }
                guard.unlock();
                Buffers buffers;
                s.DoWork(*pNode, bOpen, buffers);
                guard.lock();
                continue;
            }
            s.bUserWaiting = true;
            const bool bWoken = dwWaitMs == INFINITE ? (s.userWake.wait(guard), true)
                                                     : s.userWake.wait_until(guard, deadline);
            s.bUserWaiting = false;
            if (!bWoken)
                return Result::Pending;
        }
    }
    catch (...)
    {
        {
            std::lock_guard guard(s.lock);
            s.Fail();
        }
        s.JoinHelpers();
        return Result::End;
    }
}

} // namespace corvasin
