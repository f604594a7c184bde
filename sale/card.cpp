#include "sale/card.h"

#include <exception>

#include "platform/base/clock.h"
#include "platform/base/sysutils.h"
#include "platform/dialogs/dialogs.h"
#include "platform/os/application.h"
#include "platform/os/files.h"
#include "platform/text/format.h"
#include "tef/Qdm00500.h"
#include "tef/intpos_exchange.h"
#include "tef/intpos_record.h"
#include "utility/utility.h"

namespace QdmVenda::detail {

namespace {

using platform::TStringList;
using Qdm00500::detail::FieldValue;
namespace tef = Qdm00500::detail;

// How long the front end waits for the manager to approve a sale: the
// customer types the PIN at the pinpad meanwhile.
constexpr int kSaleAnswerSeconds = 120;
constexpr double kSecondsPerDay = 86400.0;
constexpr int kAnswerPollMs = 50;

const char* const kManagerEnded = "O Gerenciador Padr\xE3o terminou durante a transa\xE7\xE3o com cart\xE3o.\r\n"
                                  "A venda n\xE3o foi conclu\355da.";

std::string AnswerDirectory(const std::string& root) { return root + std::string("resp\\"); }

// The answers in a root's answer directory ("intpos.001" and the archive),
// the manager's acknowledgement left aside.
std::vector<std::string> Answers(const std::string& root) {
  std::vector<std::string> files;
  const std::string dir = AnswerDirectory(root);
  for (const std::string& name : platform::FindFiles(dir, "intpos.*"))
    if (!platform::SameText(name, "intpos.sts")) files.push_back(dir + name);
  return files;
}

}  // namespace

CardResult RequestCard(const std::string& type, double amount, bool credit) {
  using namespace Qdm00500;
  CardResult result;
  result.type = type;
  result.amount = amount;
  if (!CheckDirTef("D")) {
    result.message = "opera\xE7\xE3o encerrada pelo operador";
    return result;
  }
  // The manager's directory is this register's from the request to the
  // archived answer.
  ExchangeLock exchange;
  if (!exchange.Held()) {
    result.message = "diret\xF3rio do gerenciador indispon\xEDvel";
    return result;
  }
  if (!CheckGPAtivo()) {
    result.message = tef::ManagerGone() ? "gerenciador TEF terminou" : "gerenciador TEF inativo";
    return result;
  }

  const std::string id = GetSequence();
  result.identifier = id;
  const long long cents = platform::Trunc(platform::RoundTo(amount * 100, 0));
  std::vector<std::string> request = {tef::FieldLine("000-000", "CRT"), tef::FieldLine("001-000", id),
                                      tef::FieldLine("003-000", platform::IntToStr(cents)),
                                      tef::FieldLine("004-000", "0")};
  if (credit) request.push_back(tef::FieldLine("011-000", "10"));
  try {
    tef::WriteRequest(request);
  } catch (const std::exception&) {
    result.message = "pedido n\xE3o gravado em " + DirTef + "req";
    return result;
  }
  if (!CheckGPAtivo("CRT", id)) {
    result.message = tef::ManagerGone() ? "gerenciador TEF terminou" : "gerenciador TEF n\xE3o confirmou o pedido";
    return result;
  }

  // The answer: archived as soon as it is read, like every answer file, so
  // an interrupted run leaves it where the next start will undo it.
  const platform::TDateTime deadline = platform::clock::Now() + kSaleAnswerSeconds / kSecondsPerDay;
  const std::string answer_file = tef::TefFile(tef::kAnswerFile);
  while (platform::clock::Now() < deadline) {
    platform::Application().HandleMessage(kAnswerPollMs);
    if (!platform::FileExists(answer_file)) {
      if (tef::ManagerGone()) {
        // Whatever it may have approved never reached the register: its
        // answer, if written, is undone at the next start.
        util::TouchMessageDlg(kManagerEnded, platform::mtError, platform::mbOK);
        result.message = "gerenciador TEF terminou sem responder";
        return result;
      }
      continue;
    }
    TStringList answer;
    try {
      answer.LoadFromFile(answer_file);
    } catch (const std::exception&) {
      continue;  // looked at again on the next pass
    }
    platform::RenameFile(answer_file, NewIntPosFileName(tef::TefFile(tef::kAnswerDir)));
    if (answer.Count() < 2 || answer[0] != "000-000 = CRT" || answer[1] != "001-000 = " + id) continue;

    result.network = FieldValue(answer, "010-000");
    result.document = FieldValue(answer, "012-000");
    result.authorisation = FieldValue(answer, "013-000");
    result.message = FieldValue(answer, "030-000");
    result.approved = FieldValue(answer, "009-000") == "0";
    if (!result.approved && result.message.empty()) result.message = "c\363digo " + FieldValue(answer, "009-000");
    if (!result.approved) {
      // A declined sale leaves nothing to confirm or undo.
      DeleteIntPosFiles(tef::TefFile(tef::kAnswerDir), id);
    } else if (stlCuponsTEF) {
      ++inContCuponsTEF;
      stlCuponsTEF->Add(platform::IntToStr(inContCuponsTEF));
      stlCuponsTEF->AddStrings(answer);
    }
    return result;
  }
  result.message = "sem resposta do gerenciador";
  return result;
}

bool AnswerKept(const std::string& network, const std::string& identifier) {
  if (identifier.empty()) return false;
  const std::string root = network == "TECBAN" ? Qdm00500::detail::kRootDisc : Qdm00500::detail::kRootDial;
  const std::string mark = "001-000 = " + identifier;
  for (const std::string& file : Answers(root)) {
    try {
      if (platform::ReadFileBytes(file).find(mark) != std::string::npos) return true;
    } catch (const std::exception&) {
      return true;  // what cannot be read is not shown to be settled
    }
  }
  return false;
}

int AnswersLeft() {
  return static_cast<int>(Answers(Qdm00500::detail::kRootDial).size() + Answers(Qdm00500::detail::kRootDisc).size());
}

}  // namespace QdmVenda::detail
