#pragma once

#include <string>
#include <system_error>

namespace rostrel {

// Which numbering a failure's code belongs to: the numbers of the three overlap (13 is a denied
// access as an errno, a bad data error on Windows and a zlib failure in libzip).
enum class ErrorKind {
  Posix,    // errno, as the C library and the POSIX calls report it
  Windows,  // GetLastError(), as the Windows API reports it
  Zip,      // libzip's ZIP_ER_* codes
};

// What a failed file or archive operation reports: the kind of code and the code. The text the
// user sees is made from them by Describe(), in Polish, never taken from the system's English.
struct FileError {
  ErrorKind kind = ErrorKind::Posix;
  int code = 0;
  // The operation was tried again and again while another program held the file, in vain.
  bool retried = false;
  bool operator==(const FileError&) const = default;
};

FileError PosixError(int code);
FileError WindowsError(unsigned long code);
FileError ZipError(int code);
// From the standard library: the generic category carries errno values; the system category
// carries errno on POSIX and GetLastError() values on Windows.
FileError ErrorFrom(const std::error_code& ec);

// A short Polish phrase for the failure ("brak uprawnień do pliku lub katalogu"); a code the
// table does not know gets a general phrase with the code in it.
std::string Describe(const FileError& error);

// The code and the phrase, "13 brak uprawnień do pliku lub katalogu": the form every message
// about a failed file operation shows.
std::string DescribeWithCode(const FileError& error);

}  // namespace rostrel
