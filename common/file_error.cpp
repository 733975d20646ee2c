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
constexpr const char* kNoNetPath =
    "nie znaleziono komputera lub dysku w sieci (sprawdź połączenie z siecią)";
constexpr const char* kNetBroken = "przerwane połączenie z dyskiem sieciowym";
constexpr const char* kNetDenied = "brak dostępu do dysku sieciowego";
constexpr const char* kNoShare = "nie znaleziono folderu udostępnionego w sieci";
constexpr const char* kCloudFailed = "nie udało się pobrać pliku z chmury (np. OneDrive)";
constexpr const char* kCloudNotRunning =
    "nie działa program synchronizujący pliki z chmurą (np. OneDrive)";
constexpr const char* kCloudOffline =
    "brak połączenia z chmurą (np. OneDrive), a pliku nie ma na tym komputerze";
constexpr const char* kCloudLogin = "nie zalogowano się do chmury (np. OneDrive)";
constexpr const char* kCloudDenied = "chmura (np. OneDrive) nie daje dostępu do pliku";
constexpr const char* kCloudCancelled = "przerwano pobieranie pliku z chmury";
constexpr const char* kCloudNotSynced = "plik nie jest zsynchronizowany z chmurą";

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
    {53, kNoNetPath},                                 // ERROR_BAD_NETPATH
    {59, "błąd połączenia z siecią"},                 // ERROR_UNEXP_NET_ERR
    {64, kNetBroken},                                 // ERROR_NETNAME_DELETED
    {65, kNetDenied},                                 // ERROR_NETWORK_ACCESS_DENIED
    {67, kNoShare},                                   // ERROR_BAD_NET_NAME
    {80, kExists},                                    // ERROR_FILE_EXISTS
    {112, kDiskFull},                                 // ERROR_DISK_FULL
    {123, kBadName},                                  // ERROR_INVALID_NAME
    {145, kNotEmpty},                                 // ERROR_DIR_NOT_EMPTY
    {183, kExists},                                   // ERROR_ALREADY_EXISTS
    {206, kTooLong},                                  // ERROR_FILENAME_EXCED_RANGE
    {267, "w ścieżce jest plik w miejscu katalogu"},  // ERROR_DIRECTORY
    // A file kept in the cloud (OneDrive and the like) that Windows could not fetch: the
    // ERROR_CLOUD_FILE_* codes, which MinGW's <winerror.h> lacks.
    {362, kCloudNotRunning},  // ERROR_CLOUD_FILE_PROVIDER_NOT_RUNNING
    {363, kCloudFailed},      // ERROR_CLOUD_FILE_METADATA_CORRUPT
    {364, kCloudFailed},      // ERROR_CLOUD_FILE_METADATA_TOO_LARGE
    {365, kCloudFailed},      // ERROR_CLOUD_FILE_PROPERTY_BLOB_TOO_LARGE
    {366, kCloudFailed},      // ERROR_CLOUD_FILE_PROPERTY_BLOB_CHECKSUM_MISMATCH
    {374, kCloudFailed},      // ERROR_CLOUD_FILE_TOO_MANY_PROPERTY_BLOBS
    {375, kCloudFailed},      // ERROR_CLOUD_FILE_PROPERTY_VERSION_NOT_SUPPORTED
    {377, kCloudNotSynced},   // ERROR_CLOUD_FILE_NOT_IN_SYNC
    {378, kCloudFailed},      // ERROR_CLOUD_FILE_ALREADY_CONNECTED
    {379, kCloudFailed},      // ERROR_CLOUD_FILE_NOT_SUPPORTED
    {380, kCloudFailed},      // ERROR_CLOUD_FILE_INVALID_REQUEST
    {381, kReadOnly},         // ERROR_CLOUD_FILE_READ_ONLY_VOLUME
    {382, kCloudFailed},      // ERROR_CLOUD_FILE_CONNECTED_PROVIDER_ONLY
    {383, kCloudFailed},      // ERROR_CLOUD_FILE_VALIDATION_FAILED
    {386, kCloudLogin},       // ERROR_CLOUD_FILE_AUTHENTICATION_FAILED
    {387, kCloudFailed},      // ERROR_CLOUD_FILE_INSUFFICIENT_RESOURCES
    {388, kCloudOffline},     // ERROR_CLOUD_FILE_NETWORK_UNAVAILABLE
    {389, kCloudFailed},      // ERROR_CLOUD_FILE_UNSUCCESSFUL
    {390, kCloudFailed},      // ERROR_CLOUD_FILE_NOT_UNDER_SYNC_ROOT
    {391, kInUse},            // ERROR_CLOUD_FILE_IN_USE
    {392, kCloudFailed},      // ERROR_CLOUD_FILE_PINNED
    {393, kCloudCancelled},   // ERROR_CLOUD_FILE_REQUEST_ABORTED
    {394, kCloudFailed},      // ERROR_CLOUD_FILE_PROPERTY_CORRUPT
    {395, kCloudDenied},      // ERROR_CLOUD_FILE_ACCESS_DENIED
    {396, kCloudFailed},      // ERROR_CLOUD_FILE_INCOMPATIBLE_HARDLINKS
    {397, kCloudFailed},      // ERROR_CLOUD_FILE_PROPERTY_LOCK_CONFLICT
    {398, kCloudCancelled},   // ERROR_CLOUD_FILE_REQUEST_CANCELED
    {404, kCloudNotRunning},  // ERROR_CLOUD_FILE_PROVIDER_TERMINATED
    {1224, kInUse},           // ERROR_USER_MAPPED_FILE
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
