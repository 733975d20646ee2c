#include "common/file_error.h"

#include <zip.h>

#include <cerrno>

namespace rostrel {
namespace {

struct Phrase {
  int code;
  const char* text;
};

constexpr const char* kDenied = "brak uprawnień do pliku lub katalogu";
constexpr const char* kDiskFull = "brak miejsca na dysku";
constexpr const char* kReadOnly = "dysk tylko do odczytu";
constexpr const char* kMissing = "plik lub katalog nie istnieje";
constexpr const char* kInUse = "plik jest używany przez inny program";
constexpr const char* kExists = "plik o tej nazwie już istnieje";
constexpr const char* kTooLong = "nazwa pliku lub ścieżka jest za długa";
constexpr const char* kBadName = "nieprawidłowa nazwa pliku";
constexpr const char* kNoMemory = "brak pamięci";
constexpr const char* kDiskError = "błąd odczytu lub zapisu na dysku";
constexpr const char* kNotEmpty = "katalog nie jest pusty";
constexpr const char* kOtherDisk = "pliki leżą na różnych dyskach";
constexpr const char* kBadArchive = "nieprawidłowe lub uszkodzone archiwum ZIP";
constexpr const char* kDamagedData = "uszkodzone dane w archiwum ZIP";
constexpr const char* kEncrypted = "archiwum ZIP jest zaszyfrowane";

constexpr Phrase kPosix[] = {
    {EACCES, kDenied},
    {EPERM, kDenied},
    {ENOSPC, kDiskFull},
#ifdef EDQUOT
    {EDQUOT, kDiskFull},
#endif
    {EROFS, kReadOnly},
    {ENOENT, kMissing},
    {EBUSY, kInUse},
#ifdef ETXTBSY
    {ETXTBSY, kInUse},
#endif
    {EEXIST, kExists},
    {EISDIR, "w miejscu pliku jest katalog"},
    {ENOTDIR, "w ścieżce jest plik w miejscu katalogu"},
    {ENOTEMPTY, kNotEmpty},
    {EIO, kDiskError},
    {EFBIG, "plik jest za duży"},
    {ENAMETOOLONG, kTooLong},
    {EMFILE, "za dużo otwartych plików"},
    {ENFILE, "za dużo otwartych plików"},
    {ENOMEM, kNoMemory},
#ifdef ELOOP
    {ELOOP, "za dużo dowiązań symbolicznych w ścieżce"},
#endif
    {EXDEV, kOtherDisk},
    {EINVAL, kBadName},
};

// Windows system error codes, by their value: the table must also build where <windows.h> is
// not to be had.
constexpr Phrase kWindows[] = {
    {2, kMissing},                                    // ERROR_FILE_NOT_FOUND
    {3, kMissing},                                    // ERROR_PATH_NOT_FOUND
    {5, kDenied},                                     // ERROR_ACCESS_DENIED
    {8, kNoMemory},                                   // ERROR_NOT_ENOUGH_MEMORY
    {14, kNoMemory},                                  // ERROR_OUTOFMEMORY
    {17, kOtherDisk},                                 // ERROR_NOT_SAME_DEVICE
    {19, kReadOnly},                                  // ERROR_WRITE_PROTECT
    {21, "dysk nie jest gotowy"},                     // ERROR_NOT_READY
    {23, kDiskError},                                 // ERROR_CRC
    {32, kInUse},                                     // ERROR_SHARING_VIOLATION
    {33, kInUse},                                     // ERROR_LOCK_VIOLATION
    {39, kDiskFull},                                  // ERROR_HANDLE_DISK_FULL
    {80, kExists},                                    // ERROR_FILE_EXISTS
    {112, kDiskFull},                                 // ERROR_DISK_FULL
    {123, kBadName},                                  // ERROR_INVALID_NAME
    {145, kNotEmpty},                                 // ERROR_DIR_NOT_EMPTY
    {183, kExists},                                   // ERROR_ALREADY_EXISTS
    {206, kTooLong},                                  // ERROR_FILENAME_EXCED_RANGE
    {267, "w ścieżce jest plik w miejscu katalogu"},  // ERROR_DIRECTORY
    {1224, kInUse},                                   // ERROR_USER_MAPPED_FILE
};

constexpr Phrase kZip[] = {
    {ZIP_ER_NOZIP, kBadArchive},
    {ZIP_ER_INCONS, kBadArchive},
    {ZIP_ER_EOF, kBadArchive},
    // libzip's own calls here never take a wrong argument: it comes from a member's header
    // that points outside the archive.
    {ZIP_ER_INVAL, kBadArchive},
    {ZIP_ER_MULTIDISK, "archiwum ZIP podzielone na części nie jest obsługiwane"},
    {ZIP_ER_CRC, "uszkodzone dane w archiwum ZIP (niezgodna suma kontrolna)"},
    {ZIP_ER_ZLIB, kDamagedData},
    {ZIP_ER_COMPRESSED_DATA, kDamagedData},
    {ZIP_ER_COMPNOTSUPP, "nieobsługiwana metoda kompresji"},
    {ZIP_ER_ENCRNOTSUPP, kEncrypted},
    {ZIP_ER_NOPASSWD, kEncrypted},
    {ZIP_ER_WRONGPASSWD, kEncrypted},
    {ZIP_ER_MEMORY, kNoMemory},
    {ZIP_ER_NOENT, kMissing},
    {ZIP_ER_EXISTS, kExists},
    {ZIP_ER_OPEN, "nie można otworzyć pliku"},
    {ZIP_ER_READ, kDiskError},
    {ZIP_ER_WRITE, kDiskError},
    {ZIP_ER_SEEK, kDiskError},
    {ZIP_ER_TMPOPEN, "nie można utworzyć pliku tymczasowego"},
    {ZIP_ER_RENAME, "nie można zmienić nazwy pliku tymczasowego"},
    {ZIP_ER_REMOVE, "nie można usunąć pliku"},
};

template <size_t N>
const char* Find(const Phrase (&table)[N], int code) {
  for (const Phrase& p : table)
    if (p.code == code) return p.text;
  return nullptr;
}

}  // namespace

FileError PosixError(int code) { return {ErrorKind::Posix, code}; }
FileError WindowsError(unsigned long code) { return {ErrorKind::Windows, static_cast<int>(code)}; }
FileError ZipError(int code) { return {ErrorKind::Zip, code}; }

FileError ErrorFrom(const std::error_code& ec) {
#ifdef _WIN32
  if (ec.category() == std::system_category()) return WindowsError(ec.value());
#endif
  return PosixError(ec.value());
}

std::string Describe(const FileError& error) {
  const char* text = nullptr;
  const char* general = nullptr;
  switch (error.kind) {
    case ErrorKind::Posix:
      text = Find(kPosix, error.code);
      general = "nieznany błąd systemu";
      break;
    case ErrorKind::Windows:
      text = Find(kWindows, error.code);
      general = "nieznany błąd systemu Windows";
      break;
    case ErrorKind::Zip:
      text = Find(kZip, error.code);
      general = "nieznany błąd archiwum ZIP";
      break;
  }
  if (text) return text;
  return std::string(general) + " (kod " + std::to_string(error.code) + ")";
}

std::string DescribeWithCode(const FileError& error) {
  return std::to_string(error.code) + " " + Describe(error);
}

}  // namespace rostrel
