// Who may add files to a directory, from its DACL. A tray whose incoming
// work area any local user can write lets anyone plant an archive that the
// next round delivers with the rights of whoever runs it.
#include <windows.h>

#include <aclapi.h>

#include "platform/win_backend.h"

namespace torvex::win {

namespace {

// Rights that let a user create a file, or give himself that right.
constexpr ACCESS_MASK kPlantRights =
    FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | GENERIC_WRITE | GENERIC_ALL | WRITE_DAC | WRITE_OWNER;

// Everyone, BUILTIN\Users and Authenticated Users: every interactive user is
// in all three.
bool everyLocalUser(PSID sid) {
  const WELL_KNOWN_SID_TYPE groups[] = {WinWorldSid, WinBuiltinUsersSid, WinAuthenticatedUserSid};
  for (WELL_KNOWN_SID_TYPE group : groups) {
    BYTE buffer[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof buffer;
    if (CreateWellKnownSid(group, nullptr, buffer, &size) && EqualSid(sid, buffer)) return true;
  }
  return false;
}

}  // namespace

OpenToAll writableByEveryone(const char* path, uint32_t* error) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD status = GetNamedSecurityInfoA(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                             nullptr, nullptr, &dacl, nullptr, &descriptor);
  if (status != ERROR_SUCCESS) {
    *error = status;
    return OpenToAll::Unknown;
  }
  // No DACL at all grants everything to everyone. Otherwise the first entry
  // for one of the groups that names a planting right decides, as the
  // system's check reads entries in order.
  OpenToAll answer = dacl == nullptr ? OpenToAll::Yes : OpenToAll::No;
  for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
    void* entry = nullptr;
    if (!GetAce(dacl, i, &entry)) continue;
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    if ((header->AceFlags & INHERIT_ONLY_ACE) != 0) continue;  // for children only
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE) {
      continue;
    }
    // Allowed and denied entries share one layout: header, mask, SID.
    auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(entry);
    if ((ace->Mask & kPlantRights) == 0 || !everyLocalUser(&ace->SidStart)) continue;
    if (header->AceType == ACCESS_ALLOWED_ACE_TYPE) answer = OpenToAll::Yes;
    break;
  }
  LocalFree(descriptor);
  *error = ERROR_SUCCESS;
  return answer;
}

}  // namespace torvex::win
