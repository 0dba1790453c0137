// The validator's rules file ("4strict.ini"): name lists, element sections,
// one-level "%" references, attribute types, all read through the profile
// reader.
//
// File grammar as the validator reads it (profile syntax, names of sections
// and keys without regard to case, values trimmed, at most 1023 characters):
//   [StartTag] [NoEndTag] [OptEndTag]   keys "0", "1", … joined end to end up
//                                      to the first empty value; each name
//                                      stands between two commas: ",A,B,"
//   [<element>]  elem=    names allowed directly inside (a list, any case)
//                chars=   non-empty: the element has character content
//                attr=    "%name": the attribute types live in [%name]
//                <attr>=  the attribute's type name
//                ReqAttr1=, ReqAttr2=, …   required attributes
//                ReqElem1=, ReqElem2=, …   content rules
//   []           chars=   the type a text run between tags is checked against
// A value of elem, attr, ReqAttrN or ReqElemN that holds "%" anywhere names
// another section, and the same key is read from there instead; the value
// read there is used as it stands (one level only).
//
// A missing or unreadable file reads as empty everywhere and is not an error.
//
// Freshness: nothing is cached here; every call reads through the profile
// reader, which itself re-checks the file on each call. Refresh() tells a
// caller that caches what it derived from these values when to drop it.
// It learns of changes from the kernel (inotify on the file's folder: a
// change made by any process is queued before the writing call returns) and
// only looks at the file on disk after such news; where no watch can be set
// up (a symbolic link, no inotify) it looks at the file itself.
#pragma once

#include "platform/FileStamp.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace vesk {

class TValidationRules {
public:
    explicit TValidationRules(std::string path);
    ~TValidationRules();
    TValidationRules(const TValidationRules&) = delete;
    TValidationRules& operator=(const TValidationRules&) = delete;

    const std::string& Path() const { return path_; }

    // Looks for changes to the file (a system call). Returns true, and
    // advances Generation(), when the file may differ from what earlier
    // calls read; callers that keep values derived from this object drop
    // them on true. With the watch (above) a look reads the change notices
    // and looks at the file only after one; without it, it compares the
    // file's identity, size and times, and a file changed within the last
    // seconds (whose times could repeat after a further change) is never
    // trusted.
    bool Refresh();
    std::uint64_t Generation() const { return generation_; }

    // One of "StartTag", "NoEndTag", "OptEndTag": keys "0", "1", … joined
    // with nothing between, stopping at the first empty value (a gap ends
    // the list).
    std::string List(std::string_view section) const;
    // Key "0" of a list section only (the end-of-document look-up).
    std::string ListFirstKey(std::string_view section) const;

    // [section] key as it stands, "" when missing.
    std::string Value(std::string_view section, std::string_view key) const;
    // [element] key with the one-level reference rule (elem, ReqAttrN, ReqElemN).
    std::string Referenced(std::string_view element, std::string_view key) const;
    // `prefix`1, `prefix`2, … of the element (each with the reference rule),
    // stopping at the first empty value: ReqAttr and ReqElem.
    std::vector<std::string> Numbered(std::string_view element, std::string_view prefix) const;
    // The type of an attribute: key `attribute` (pass it lower-cased) in the
    // section named by the element's `attr` value when that holds "%", else
    // in the element's own section. Type names are never followed further.
    std::string AttrType(std::string_view element, std::string_view attribute) const;
    // `chars` of the section with the empty name: the type of text runs.
    std::string TextRunType() const { return Value("", "chars"); }

private:
    void StartWatch();
    // Reads the queued change notices; true when one concerns the file (or
    // the watch was lost, which also ends watching).
    bool FileEventsPending();
    void StopWatch();

    std::string path_;
    std::string baseName_;
    int watchFd_ = -1;
    bool watchTried_ = false;
    FileStamp stamp_;
    bool known_ = false;  // stamp_ is trusted: what earlier calls read is current
    std::uint64_t generation_ = 0;
};

} // namespace vesk
