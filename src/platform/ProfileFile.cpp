// Profile files: parsing, caching and atomic rewriting of INI files.
#include "platform/ProfileFile.h"

namespace vesk {
// (being written)
std::string GetPrivateProfileString(std::string_view, std::string_view, std::string_view d, const std::string&) { return std::string(d); }
int GetPrivateProfileInt(std::string_view, std::string_view, int d, const std::string&) { return d; }
void WritePrivateProfileString(std::string_view, std::optional<std::string_view>, std::optional<std::string_view>, const std::string&) {}
std::vector<std::string> GetPrivateProfileKeys(std::string_view, const std::string&) { return {}; }
std::vector<std::string> GetPrivateProfileSectionNames(const std::string&) { return {}; }
bool ProfileSectionExists(std::string_view, const std::string&) { return false; }
void EnsureProfileSection(std::string_view, const std::string&) {}
ProfileWriteBatch::ProfileWriteBatch(std::string path) : path_(std::move(path)) {}
ProfileWriteBatch::~ProfileWriteBatch() noexcept {}
void ProfileWriteBatch::Commit() {}
void ClearProfileCache() {}
std::size_t ProfileParseCount() { return 0; }
}
