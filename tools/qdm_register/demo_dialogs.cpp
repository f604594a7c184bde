#include "tools/qdm_register/demo_dialogs.h"

#include <cstdio>
#include <string>

#include "drivers/common/messages.h"
#include "platform/base/encoding.h"

namespace qdm_register {

namespace {

// Texts of the catalogue the unattended operator recognises (Windows-1252).
bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// The till closing's questions, known by their catalogue keys: at the end
// of the day the till is closed, the Z reduction confirmed and the products
// report printed.
struct ClosingRule {
  const char* key;
  int answer;
};
const ClosingRule kClosingRules[] = {
    {"AbreCaixa", platform::mrNo},
    {"ConfReducao", platform::mrYes},
    {"ConfRelProds", platform::mrYes},
};

int UnattendedAnswer(const platform::DialogRequest& request) {
  if (request.buttons != platform::mbYesNo) return platform::mrOk;
  for (const ClosingRule& rule : kClosingRules)
    if (request.text == drivers::CatalogueText(rule.key)) return rule.answer;
  // A fiscal day left open must be closed before the first sale of today.
  if (Contains(request.text, "Redu\xE7\xE3o Z")) return platform::mrYes;
  return platform::mrNo;
}

const char* AnswerName(int answer) {
  switch (answer) {
    case platform::mrYes:
      return "Sim";
    case platform::mrNo:
      return "N\xE3o";
    case platform::mrOk:
      return "OK";
    default:
      return "-";
  }
}

}  // namespace

DemoOperator::DemoOperator(bool interactive) : interactive_(interactive) {}

int DemoOperator::Show(const platform::DialogRequest& request) {
  if (interactive_) return terminal_.Show(request);
  int answer = request.modal ? UnattendedAnswer(request) : platform::mrNone;
  std::string line = "  [operador] " + request.text + " -> " + AnswerName(answer) + "\n";
  std::fputs(platform::Cp1252ToUtf8(line).c_str(), stdout);
  return answer;
}

int DemoOperator::Choose(const platform::ChoiceRequest& request) {
  if (interactive_) return terminal_.Choose(request);
  // Without an operator the card goes to the networks of the dial manager.
  for (const auto& option : request.options) {
    if (option.accelerator == '2') {
      std::string line = "  [operador] " + request.caption + ": " + option.description + "\n";
      std::fputs(platform::Cp1252ToUtf8(line).c_str(), stdout);
      return option.result;
    }
  }
  return request.close_result;
}

}  // namespace qdm_register
