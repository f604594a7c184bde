// The frame of a command-line program's help and usage errors (CLI11) in
// Portuguese, for the programs a person runs at the register: the register
// program and the emulated TEF manager. Header only: it is for programs that
// link CLI11. Texts are UTF-8, since they go to a terminal.
#pragma once
#include <CLI/CLI.hpp>
#include <string>

namespace cli_pt {

// The type a value is shown with (text, whole number, number).
inline std::string TypeName(const std::string& english) {
  if (english == "TEXT") return "TEXTO";
  if (english == "INT" || english == "UINT") return "INTEIRO";
  if (english == "FLOAT") return "N\xC3\x9AMERO";
  return english;
}

// Labels, groups and value types of the app and its subcommands. Call it
// once every option and subcommand is added.
inline void Translate(CLI::App& app) {
  const auto formatter = app.get_formatter();
  formatter->label("Usage", "Uso");
  formatter->label("OPTIONS", "OP\xC3\x87\xC3\225ES");
  formatter->label("SUBCOMMAND", "SUBCOMANDO");
  formatter->label("SUBCOMMANDS", "SUBCOMANDOS");
  formatter->label("REQUIRED", "OBRIGAT\xC3\x93RIO");
  formatter->label("Positionals", "Argumentos");
  formatter->label("Env", "Ambiente");
  formatter->label("Needs", "Requer");
  formatter->label("Excludes", "Exclui");
  for (CLI::Option* option : app.get_options()) {
    if (option->get_group() == "Options") option->group("Op\xC3\xA7\xC3\265es");
    // The type is shown before the validators' descriptions.
    const std::string shown = option->get_type_name();
    const std::string type = shown.substr(0, shown.find(':'));
    if (!type.empty() && TypeName(type) != type) option->type_name(TypeName(type));
  }
  for (CLI::App* sub : app.get_subcommands({})) {
    if (sub->get_group() == "Subcommands") sub->group("Subcomandos");
    Translate(*sub);
  }
}

namespace detail {

// The part of a parser message after its English lead.
inline std::string After(const std::string& text, const std::string& lead) {
  const auto at = text.find(lead);
  return at == std::string::npos ? text : text.substr(at + lead.size());
}

}  // namespace detail

// The parser's complaint in Portuguese (the names and values it quotes
// came from the terminal).
inline std::string UsageText(const CLI::ParseError& e) {
  const std::string what = e.what();
  if (dynamic_cast<const CLI::ExtrasError*>(&e))
    return "argumento n\xC3\xA3o reconhecido: " + detail::After(detail::After(what, "not expected: "), "not expected:");
  if (dynamic_cast<const CLI::RequiredError*>(&e))
    return "falta a op\xC3\xA7\xC3\xA3o obrigat\xC3\xB3ria " + what.substr(0, what.find(" is required"));
  if (dynamic_cast<const CLI::ConversionError*>(&e) || dynamic_cast<const CLI::ValidationError*>(&e))
    return "valor inv\xC3\xA1lido: " + detail::After(what, "Could not convert: ");
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&e))
    return "falta o valor da op\xC3\xA7\xC3\xA3o " + what.substr(0, what.find(':'));
  return "uso incorreto: " + what;
}

// The hint after a usage error: where the options are told.
inline const char* HelpHint() { return "(use --help para ver as op\xC3\xA7\xC3\265es)"; }

}  // namespace cli_pt
