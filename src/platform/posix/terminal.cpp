// The terminal on POSIX: isatty, /dev/tty without echo, iconv from GBK.
#include "platform/terminal.h"

#include <fcntl.h>
#include <iconv.h>
#include <termios.h>
#include <unistd.h>

namespace larkspur::platform {

namespace {

// A GBK lead byte and the trail bytes that may follow it.
bool isGbkLead(unsigned char c) {
  return c >= 0x81 && c <= 0xFE;
}
bool isGbkTrail(unsigned char c) {
  return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

// An iconv descriptor closed when it goes.
class Converter {
public:
  Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
  ~Converter() {
    if (ok())
      ::iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts one double-byte character; false when GBK has no character there.
  bool appendPair(std::string& out, const char* pair) {
    char in[2] = {pair[0], pair[1]};
    char buffer[8];
    char* inPointer = in;
    char* outPointer = buffer;
    std::size_t inLeft = 2, outLeft = sizeof buffer;
    if (::iconv(cd_, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<std::size_t>(-1)) {
      ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      return false;
    }
    out.append(buffer, static_cast<std::size_t>(outPointer - buffer));
    return true;
  }

private:
  iconv_t cd_;
};

} // namespace

bool standardErrorIsTerminal() {
  return ::isatty(STDERR_FILENO) == 1;
}

bool readHiddenLine(const std::string& prompt, std::string& line) {
  const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0)
    return false;
  termios saved{};
  if (::tcgetattr(fd, &saved) != 0) {
    ::close(fd);
    return false;
  }
  termios quiet = saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  quiet.c_lflag |= ECHONL;
  if (::write(fd, prompt.data(), prompt.size()) < 0) {
    // The prompt is a courtesy; the answer is what counts.
  }
  ::tcsetattr(fd, TCSANOW, &quiet);
  line.clear();
  char c = 0;
  while (::read(fd, &c, 1) == 1 && c != '\n')
    line += c;
  ::tcsetattr(fd, TCSANOW, &saved);
  ::close(fd);
  if (!line.empty() && line.back() == '\r')
    line.pop_back();
  return true;
}

std::string legacyTextToUtf8(std::string_view text, UnconvertibleByte unconvertible) {
  Converter gbk("UTF-8", "GBK");
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++at;
    } else if (gbk.ok() && isGbkLead(c) && at + 1 < text.size() &&
               isGbkTrail(static_cast<unsigned char>(text[at + 1])) &&
               gbk.appendPair(out, text.data() + at)) {
      at += 2;
    } else {
      out += unconvertible(c);
      ++at;
    }
  }
  return out;
}

} // namespace larkspur::platform
