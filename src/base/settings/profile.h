// Settings store: per-user and per-machine settings in the registry, or in an
// INI file where the registry is not usable (Win32s).
//
// A section may start with a letter and a colon that picks the target:
//   "U:"        HKEY_CURRENT_USER under the registry base
//   "I:"        the INI file passed as the last argument
//   none/other  HKEY_LOCAL_MACHINE under the registry base
// The prefix is stripped before the section is used. On Win32s, or with an
// empty registry base, every section goes to the INI file (or WIN.INI when no
// INI file name is set). Every call works on its own buffers, so the store
// may be used from more than one thread.
#pragma once

// The program's registry key and its INI file, as set at start-up.
inline constexpr const char kProfileKeyPath[] = "SOFTWARE\\Brantel SoftWare\\Kitwright\\97b";
inline constexpr const char kProfileIniFile[] = "KWRCLS97.INI";

// Sets the registry base to keyPath followed by "\<section>"; null turns
// registry use off.
void ProfileSetRegistryBase(const char* keyPath);

// Sets the INI file used where the registry is not; null or "" means WIN.INI.
void ProfileSetIniFile(const char* fileName);

// Reads an integer; default when missing, unreadable or not four bytes.
unsigned int ProfileGetInt(const char* section, const char* entry, int defaultValue,
                           const char* iniFile = nullptr);

// Writes an integer (REG_DWORD, or "%i" text in an INI file). Nonzero on success.
int ProfileWriteInt(const char* section, const char* entry, int value,
                    const char* iniFile = nullptr);

// Reads a string into buffer. Registry: 1 when read, 0 when the default was
// copied. With a null entry the buffer receives the names of the key's values,
// each ended by a zero byte, the list ended by one more. INI: the platform's
// result (characters copied).
int ProfileGetString(const char* section, const char* entry, const char* defaultValue,
                     char* buffer, unsigned int bufferSize, const char* iniFile = nullptr);

// Writes a string (REG_SZ with its zero). A null value deletes the entry.
// All of section, entry and value null: does nothing in the registry (0);
// for an INI file it flushes the platform's cached copy. Nonzero on success.
int ProfileWriteString(const char* section, const char* entry, const char* value,
                       const char* iniFile = nullptr);

// The platform query behind the store: returns true when running on Win32s.
// Null restores the system's own query. Lets tests take the Win32s paths.
using ProfilePlatformQuery = bool (*)();
void ProfileSetPlatformQuery(ProfilePlatformQuery isWin32s);
