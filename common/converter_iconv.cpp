#include <iconv.h>

#include <cerrno>

#include "common/converter.h"

namespace rostrel {
namespace {

class IconvConverter : public Converter {
 public:
  explicit IconvConverter(iconv_t cd) : cd_(cd) {}
  ~IconvConverter() override { iconv_close(cd_); }
  IconvConverter(const IconvConverter&) = delete;
  IconvConverter& operator=(const IconvConverter&) = delete;

  Stop Convert(std::string_view in, std::string& out, size_t& stoppedAt) override {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[16384];
    while (true) {
      char* dst = buffer;
      size_t dstLeft = sizeof buffer;
      const size_t r = srcLeft ? iconv(cd_, &src, &srcLeft, &dst, &dstLeft)
                               : iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
      const int error = r == static_cast<size_t>(-1) ? errno : 0;
      out.append(buffer, static_cast<size_t>(dst - buffer));
      if (error == E2BIG) continue;
      stoppedAt = in.size() - srcLeft;
      if (error == EINVAL) return Stop::Incomplete;
      if (error) return Stop::Invalid;
      if (srcLeft == 0) return Stop::None;
    }
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::unique_ptr<Converter> Converter::Open(const std::string& to, const std::string& from) {
  const iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
  return std::make_unique<IconvConverter>(cd);
}

}  // namespace rostrel
