#include "about/Quor_AboutText.h"

#include "core/Quor_Text.h"

namespace about {

std::string UpdateReferer(std::string_view version) {
  return "UpdateCheck_" + std::string(version);
}

std::string UpdateOutcome(int status, std::string_view body, std::string_view version) {
  if (status != 200) return kCantConnectText;
  const std::string reply = AsciiLower(body);
  constexpr std::string_view field = "vinfo=";
  const std::size_t at = reply.find(field);
  if (at == std::string::npos) return kNoVersionInfoText;
  const std::size_t from = at + field.size();
  const std::size_t end = reply.find(';', from);
  // An unterminated field would otherwise offer "an update" to a version
  // made of whatever text follows it, or of nothing.
  if (end == std::string::npos) return kNoVersionInfoText;
  const std::string found = reply.substr(from, end - from);
  if (found == version) return kNoUpdateText;
  return "Update available.. ( Version " + found + " )";
}

std::string JoinAboutLines(const std::array<std::string, 10>& lines) {
  const std::string crlf = "\r\n";
  std::string text = lines[0] + crlf + crlf + lines[1] + crlf + crlf;
  for (int i = 2; i <= 7; ++i) text += lines[i] + crlf;
  text += crlf + crlf + lines[8] + crlf + crlf + lines[9];
  return text;
}

std::string_view DisclaimerText() {
  static constexpr std::string_view text =
      "BECAUSE THE PROGRAM IS LICENSED FREE OF CHARGE, THERE\r\n"
      "IS NO WARRANTY FOR THE PROGRAM, TO THE EXTENT\r\n"
      "PERMITTED BY APPLICABLE LAW. EXCEPT WHEN OTHERWISE\r\n"
      "STATED IN WRITING. THE PROGRAM IS PROVIDED \"AS IS\"\r\n"
      "WITHOUT WARRANTY OF ANY KIND, EITHER EXPRESSED OR\r\n"
      "IMPLIED, INCLUDING, BUT NOT LIMITED TO, THE IMPLIED\r\n"
      "WARRANTIES OF MERCHANTABILITY AND FITNESS FOR A\r\n"
      "PARTICULAR PURPOSE. THE ENTIRE RISK AS TO THE QUALITY\r\n"
      "AND PERFORMANCE OF THE PROGRAM IS WITH YOU. SHOULD THE\r\n"
      "PROGRAM PROVE DEFECTIVE, YOU ASSUME THE COST OF ALL\r\n"
      "NECESSARY SERVICING, REPAIR OR CORRECTION.\r\n"
      "\r\n"
      "IN NO EVENT UNLESS REQUIRED BY APPLICABLE LAW OR\r\n"
      "AGREED TO IN WRITING WILL ANY COPYRIGHT HOLDER, OR ANY\r\n"
      "OTHER PARTY WHO MAY MODIFY AND/OR REDISTRIBUTE THE\r\n"
      "PROGRAM AS PERMITTED ABOVE, BE LIABLE TO YOU FOR\r\n"
      "DAMAGES, INCLUDING ANY GENERAL, SPECIAL, INCIDENTAL OR\r\n"
      "CONSEQUENTIAL DAMAGES ARISING OUT OF THE USE OR\r\n"
      "INABILITY TO USE THE PROGRAM (INCLUDING BUT NOT\r\n"
      "LIMITED TO LOSS OF DATA OR DATA BEING RENDERED\r\n"
      "INACCURATE OR LOSSES SUSTAINED BY YOU OR THIRD PARTIES\r\n"
      "OR A FAILURE OF THE PROGRAM TO OPERATE WITH ANY OTHER\r\n"
      "PROGRAMS), EVEN IF SUCH HOLDER OR OTHER PARTY HAS BEEN\r\n"
      "ADVISED OF THE POSSIBILITY OF SUCH DAMAGES.";
  return text;
}

}  // namespace about
