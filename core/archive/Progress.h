#pragma once

#include <string_view>

namespace zefir::archive {

// How extraction and packing report their phase and progress. The desktop
// program's progress window implements it; the command line draws a bar on
// stderr. Positions run from 0 to 100.
class IProgress {
public:
    virtual ~IProgress() = default;
    virtual void Show() = 0;
    virtual void SetCaption(std::string_view caption) = 0;
    virtual void SetPosition(int position) = 0;
    virtual void Close() = 0;
};

// Where extraction lists the member names it writes, in archive order.
// Names are the archive's bytes (Windows-1251 above 0x7F).
class IMemberList {
public:
    virtual ~IMemberList() = default;
    virtual void AddName(std::string_view name) = 0;
    virtual void SelectIndex(int index) = 0;
};

// For callers that want neither.
class NullProgress final : public IProgress {
public:
    void Show() override {}
    void SetCaption(std::string_view) override {}
    void SetPosition(int) override {}
    void Close() override {}
};

class NullMemberList final : public IMemberList {
public:
    void AddName(std::string_view) override {}
    void SelectIndex(int) override {}
};

// The position after item i of n: i / (n - 1) x 100 rounded half to even;
// 100 when there is only one item.
int ProgressPosition(std::size_t index, std::size_t count);

} // namespace zefir::archive
