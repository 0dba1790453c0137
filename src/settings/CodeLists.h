// The S/E and single code lists of the code bars: designed defaults and their storage.
//
// A code list lives in its own section as Code0, Check0, Code1, Check1, …:
// Code<n> holds the code text, Check<n> its check state. Only checked items
// appear on a bar; the preferences dialog edits the whole list.
#pragma once

#include "settings/Settings.h"

#include <QString>
#include <vector>

namespace vesk {

// Check states as stored in Check<n>.
inline constexpr int kCodeUnchecked = 0;
inline constexpr int kCodeChecked = 1;
inline constexpr int kCodeGreyed = 2;

inline constexpr const char* kSECodesSection = "S/E Codes";
inline constexpr const char* kSingleCodesSection = "Single Codes";

struct CodeItem {
    QString code;
    int check = kCodeChecked;  // kCodeUnchecked, kCodeChecked or kCodeGreyed

    friend bool operator==(const CodeItem&, const CodeItem&) = default;
};

// The designed lists, every item checked: 78 starting/ending codes from
// "<A>" to "<VAR>", and 22 single codes from "&amp" to "<PARAM>" (entities
// without their semicolon; the image code is <IMG SRC="">).
std::vector<CodeItem> DefaultSECodes();
std::vector<CodeItem> DefaultSingleCodes();

// The designed list that belongs to section (kSECodesSection or
// kSingleCodesSection); empty for any other section.
std::vector<CodeItem> DefaultCodeList(std::string_view section);

// The stored list of section. When Code0 is absent (or empty) the designed
// default list of the section is returned with every item checked;
// otherwise Code0, Code1, … up to the first absent code, each with
// Check<n> (default checked). A stored check state other than 0, 1 or 2
// counts as checked.
std::vector<CodeItem> ReadCodeList(std::string_view section,
                                   const SettingsFile& file = SettingsFile());

// Erases section, then writes Code<n> and Check<n> for every item in one
// file replacement. Items with an empty code are left out (they would end
// the list on the next read). Writing an empty list leaves the section
// without Code0, so the next read gives the designed defaults again.
void WriteCodeList(std::string_view section, const std::vector<CodeItem>& items,
                   const SettingsFile& file = SettingsFile());

} // namespace vesk
