// The printer clock and fiscal-day checks, the tax-rate lookup for the
// product being sold, and the small facade-only answers.
#include <cmath>
#include <cstdlib>

#include "drivers/bematech/Qdm00100.h"
#include "facade/Qdm00000.h"
#include "drivers/common/messages.h"
#include "facade/routing.h"
#include "platform/text/datetime.h"
#include "platform/base/sysutils.h"

namespace Qdm00000 {

namespace {

// Seconds from inicio to fim on whole minutes: each value's hour and minute
// as the clock shows them, seconds ignored.
long long MinuteSeconds(TDateTime inicio, TDateTime fim) {
  auto parts = [](TDateTime value, long long& day, int& hour, int& minute) {
    int second, ms;
    day = static_cast<long long>(std::floor(value));
    platform::DecodeTime(value, hour, minute, second, ms);
  };
  long long d1, d2;
  int h1, m1, h2, m2;
  parts(inicio, d1, h1, m1);
  parts(fim, d2, h2, m2);
  return ((d2 - d1) * 24 + h2 - h1) * 3600 + (m2 - m1) * 60;
}

// "DDMMYYhhnn" -> "DD/MM/YY hh:nn".
std::string ClockText(const std::string& texto) {
  using platform::Copy;
  return Copy(texto, 1, 2) + "/" + Copy(texto, 3, 2) + "/" + Copy(texto, 5, 2) + " " + Copy(texto, 7, 2) + ":" +
         Copy(texto, 9, 2);
}

// "h:mm" (sign dropped) read back as the number hhmm.
int HoursMinutesNumber(std::string diferenca) {
  if (!diferenca.empty() && diferenca[0] == '-') diferenca.erase(0, 1);
  const int colon = platform::Pos(":", diferenca);
  const int horas = platform::StrToInt(platform::Copy(diferenca, 1, colon - 1));
  const int minutos = platform::StrToInt(platform::Copy(diferenca, colon + 1, 2));
  return horas * 100 + minutos;
}

// Clocks more than 15 minutes apart make the coupon's time untrustworthy.
constexpr int kToleranciaRelogio = 15;

bool PrinterClockAgrees(const std::string& texto) {
  const TDateTime impressora = platform::StrToDateTime(ClockText(texto));
  const std::string dia = "dd/mm/yyyy";
  if (platform::FormatDateTime(dia, impressora) != platform::FormatDateTime(dia, platform::Date())) {
    drivers::ShowError(drivers::CatalogueText("DataDif"));
    return false;
  }
  if (HoursMinutesNumber(SubtDataHora(impressora, platform::Now())) > kToleranciaRelogio) {
    drivers::ShowError(drivers::CatalogueText("DataDif"));
    return false;
  }
  return true;
}

// "DDMMYY" in the current century.
TDateTime FiscalDay(const std::string& data) {
  using platform::Copy;
  const std::string seculo = Copy(platform::FormatDateTime("yyyy", platform::Date()), 1, 2);
  return platform::EncodeDate(platform::StrToInt(seculo + Copy(data, 5, 2)), platform::StrToInt(Copy(data, 3, 2)),
                              platform::StrToInt(Copy(data, 1, 2)));
}

}  // namespace

bool VerificaData(const std::string& texto) {
  bool result = true;
  try {
    if (!texto.empty()) result = PrinterClockAgrees(texto);
  } catch (const std::exception&) {
    // A clock answer that is no date is not judged.
  }
  // Decoded even after an unreadable clock answer, so an overdue fiscal day
  // still asks for its Z reduction.
  try {
    dtDate = stData.empty() ? platform::Date() : FiscalDay(stData);
  } catch (const std::exception&) {
    dtDate = platform::Date();
  }
  return result;
}

std::string SubtDataHora(TDateTime inicio, TDateTime fim) {
  const long long s = MinuteSeconds(inicio, fim);
  const long long a = std::llabs(s);
  return std::string(s < 0 ? "-" : "") + platform::IntToStr(a / 3600) + ":" +
         util::Ajusta(platform::IntToStr((a % 3600) / 60), 2);
}

std::string Verifica_Aliquota(const std::string& /*texto*/) {
  TdtmCupomFiscal& dm = DataModule();
  std::string tipo = dm.cdsProduto.FieldByName("IDTPIMPOSFIS").AsString();
  if (tipo.empty()) tipo = "N";
  // Untaxed, substitution and exempt items carry no rate of their own.
  const bool semTaxa = tipo == "N" || tipo == "F" || tipo == "I";
  const double taxa = semTaxa ? 0.0 : dm.cdsProduto.FieldByName("VRPEALIMPFIS").AsFloat();

  if (dm.cdsAliqImpFis.Locate("IDALIQIMPFIS;VRALIQIMPFIS", {tipo, taxa})) {
    CdAliq = dm.cdsAliqImpFis.FieldByName("CDALIQIMPFIS").AsString();
  } else if (ImpFiscalOK()) {
    drivers::ShowError(drivers::CatalogueText("AliqNaoCad"));
    CdAliq = " ";
  }
  return CdAliq;
}

std::string AjustaZero(const std::string& texto, int largura) { return util::AjustaZero(texto, largura); }

TDateTime DataMoviFiscal() {
  const TDateTime hoje = platform::Date();
  return Route<TDateTime>({{kBematech, Qdm00100::DataMov_Bematech}}, hoje);
}

bool RecebVenda() { return false; }

}  // namespace Qdm00000
