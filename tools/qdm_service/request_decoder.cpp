#include "tools/qdm_service/request_decoder.h"

#include <cstring>
#include <utility>

#include "platform/base/encoding.h"

namespace qdm_service {

namespace {

// Builds the document from the parser's events. A number with a fraction
// or an exponent is kept as the text the client wrote, in a binary node
// (which no JSON text can produce), so no digit passes through a double.
class ExactDocument {
 public:
  explicit ExactDocument(Json& root) : root_(root) {}

  bool null() { return Add(nullptr); }
  bool boolean(bool value) { return Add(value); }
  bool number_integer(Json::number_integer_t value) { return Add(value); }
  bool number_unsigned(Json::number_unsigned_t value) { return Add(value); }
  bool number_float(Json::number_float_t, const Json::string_t& text) {
    return Add(Json::binary(Json::binary_t::container_type(text.begin(), text.end())));
  }
  bool string(Json::string_t& value) { return Add(std::move(value)); }
  bool binary(Json::binary_t& value) { return Add(Json::binary(value)); }
  bool start_object(std::size_t) { return Open(Json::object()); }
  bool key(Json::string_t& name) {
    if (open_.back()->contains(name)) {
      fault_ = "O campo " + Cp(name) + " aparece duas vezes";
      return false;
    }
    key_ = std::move(name);
    return true;
  }
  bool end_object() { return Close(); }
  bool start_array(std::size_t) { return Open(Json::array()); }
  bool end_array() { return Close(); }
  bool parse_error(std::size_t position, const std::string&, const Json::exception&) {
    if (fault_.empty())
      fault_ = "O corpo n\xE3o \xE9 um JSON v\xE1lido em UTF-8 (posi\xE7\xE3o " + std::to_string(position) + ")";
    return false;
  }

  const std::string& fault() const { return fault_; }

 private:
  static std::string Cp(const std::string& utf8) { return platform::Utf8ToCp1252(utf8); }

  Json* Insert(Json value) {
    if (open_.empty()) {
      root_ = std::move(value);
      return &root_;
    }
    Json& parent = *open_.back();
    if (parent.is_array()) {
      parent.push_back(std::move(value));
      return &parent.back();
    }
    return &(parent[key_] = std::move(value));
  }
  bool Add(Json value) {
    Insert(std::move(value));
    return true;
  }
  bool Open(Json container) {
    if (open_.size() >= static_cast<std::size_t>(kMaxDepth)) {
      fault_ = "O corpo aninha objetos e listas al\xE9m de " + std::to_string(kMaxDepth) + " n\xEDveis";
      return false;
    }
    // A container being filled is the last member of its parent, so its
    // address holds until it closes.
    open_.push_back(Insert(std::move(container)));
    return true;
  }
  bool Close() {
    open_.pop_back();
    return true;
  }

  Json& root_;
  std::vector<Json*> open_;
  std::string key_;
  std::string fault_;
};

// Members named in the problems as the client wrote them.
std::string FieldName(const std::string& utf8) { return platform::Utf8ToCp1252(utf8); }

bool IsControl(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

std::string Kind(const Json& value) {
  if (value.is_string()) return "texto";
  if (value.is_binary() || value.is_number()) return "n\xFAmero";
  if (value.is_boolean()) return "verdadeiro ou falso";
  if (value.is_array()) return "lista";
  if (value.is_object()) return "objeto";
  return "nulo";
}

std::string DecimalTextOf(const Json& value, const std::string& name) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_number_unsigned()) return std::to_string(value.get<Json::number_unsigned_t>());
  if (value.is_number_integer()) return std::to_string(value.get<Json::number_integer_t>());
  if (value.is_binary()) {
    const auto& bytes = value.get_binary();
    return std::string(bytes.begin(), bytes.end());
  }
  Fail("campo_invalido",
       "O campo " + name + " deve ser um n\xFAmero decimal, como \"12.34\" (veio " + Kind(value) + ")", name);
}

// The document with each kept number written back as its text: members
// sorted (objects are ordered maps), numbers as the client wrote them.
Json Plain(const Json& value) {
  if (value.is_binary()) {
    const auto& bytes = value.get_binary();
    return Json("#" + std::string(bytes.begin(), bytes.end()));
  }
  if (value.is_object()) {
    Json out = Json::object();
    for (const auto& [name, member] : value.items()) out[name] = Plain(member);
    return out;
  }
  if (value.is_array()) {
    Json out = Json::array();
    for (const auto& member : value) out.push_back(Plain(member));
    return out;
  }
  return value;
}

}  // namespace

std::string ReadText(const std::string& utf8, const std::string& name, const TextField& field) {
  std::string text;
  std::size_t bad_at = 0;
  if (!platform::Utf8ToCp1252Exact(utf8, text, &bad_at)) {
    // Counted in characters, as the person who typed it counts them.
    std::size_t position = 1;
    for (std::size_t i = 0; i < bad_at; ++i)
      if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) ++position;
    Fail("texto_fora_da_pagina_de_codigo",
         "O campo " + name + " tem um caractere que a impressora n\xE3o imprime (o " + std::to_string(position) +
             "\xBA do texto)",
         name);
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsControl(static_cast<unsigned char>(text[i])))
      Fail("campo_invalido",
           "O campo " + name + " tem um caractere de controle (na posi\xE7\xE3o " + std::to_string(i) + ")", name);
    if (field.only && !std::strchr(field.only, text[i]))
      Fail("campo_invalido", "O campo " + name + " aceita s\xF3 os caracteres " + field.only, name);
  }
  if (text.empty() && !field.allow_empty) Fail("campo_invalido", "O campo " + name + " est\xE1 vazio", name);
  if (text.size() > field.max_chars)
    Fail("valor_nao_cabe", "O campo " + name + " passa de " + std::to_string(field.max_chars) + " caracteres", name);
  return text;
}

std::int64_t ReadDecimal(std::string_view text, const std::string& name, const DecimalField& field) {
  std::int64_t units = 0;
  switch (ParseDecimal(text, field, units)) {
    case DecimalFault::None:
      return units;
    case DecimalFault::NotDecimal:
      Fail("campo_invalido", "O campo " + name + " deve ser um n\xFAmero decimal, como \"12.34\"", name);
    case DecimalFault::TooManyDecimals:
      Fail("valor_nao_cabe", "O campo " + name + " tem mais de " + std::to_string(field.decimals) + " casas decimais",
           name);
    case DecimalFault::TooLarge:
      Fail("valor_nao_cabe",
           "O campo " + name + " n\xE3o cabe no campo da impressora (at\xE9 " + std::to_string(field.integer_digits) +
               " d\xEDgitos antes do ponto)",
           name);
    case DecimalFault::Negative:
      Fail("campo_invalido", "O campo " + name + " n\xE3o pode ser negativo", name);
  }
  Fail("campo_invalido", "O campo " + name + " deve ser um n\xFAmero decimal", name);
}

RequestBody RequestBody::Parse(std::string_view bytes) {
  RequestBody body;
  if (bytes.find_first_not_of(" \t\r\n") == std::string_view::npos) {
    body.root_ = Json::object();
    return body;
  }
  ExactDocument document(body.root_);
  const bool parsed = Json::sax_parse(bytes.begin(), bytes.end(), &document);
  if (!parsed) {
    Fail("requisicao_invalida",
         document.fault().empty() ? std::string("O corpo n\xE3o \xE9 um JSON v\xE1lido") : document.fault());
  }
  if (!body.root_.is_object()) Fail("requisicao_invalida", "O corpo deve ser um objeto JSON");
  return body;
}

const Json* RequestBody::Member(const std::string& name) const {
  read_.insert(name);
  const auto found = root_.find(name);
  if (found == root_.end() || found->is_null()) return nullptr;
  return &*found;
}

bool RequestBody::Has(const std::string& name) const {
  const auto found = root_.find(name);
  return found != root_.end() && !found->is_null();
}

std::string RequestBody::Text(const std::string& name, const TextField& field) const {
  std::optional<std::string> text = OptionalText(name, field);
  if (!text) Fail("campo_obrigatorio", "Falta o campo " + Field(name), Field(name));
  return *text;
}

std::optional<std::string> RequestBody::OptionalText(const std::string& member, const TextField& field) const {
  const Json* value = Member(member);
  if (!value) return std::nullopt;
  const std::string name = Field(member);
  if (!value->is_string())
    Fail("campo_invalido", "O campo " + name + " deve ser um texto (veio " + Kind(*value) + ")", name);
  return ReadText(value->get<std::string>(), name, field);
}

std::int64_t RequestBody::Decimal(const std::string& name, const DecimalField& field) const {
  std::optional<std::int64_t> units = OptionalDecimal(name, field);
  if (!units) Fail("campo_obrigatorio", "Falta o campo " + Field(name), Field(name));
  return *units;
}

std::optional<std::int64_t> RequestBody::OptionalDecimal(const std::string& member, const DecimalField& field) const {
  const Json* value = Member(member);
  if (!value) return std::nullopt;
  const std::string name = Field(member);
  return ReadDecimal(DecimalTextOf(*value, name), name, field);
}

std::vector<std::string> RequestBody::TextList(const std::string& member, const TextField& field, std::size_t max_items,
                                               bool allow_empty_list) const {
  const Json* value = Member(member);
  const std::string name = Field(member);
  if (!value) Fail("campo_obrigatorio", "Falta o campo " + name, name);
  if (!value->is_array())
    Fail("campo_invalido", "O campo " + name + " deve ser uma lista de textos (veio " + Kind(*value) + ")", name);
  if (value->empty() && !allow_empty_list) Fail("campo_invalido", "A lista " + name + " est\xE1 vazia", name);
  if (value->size() > max_items)
    Fail("valor_nao_cabe", "A lista " + name + " passa de " + std::to_string(max_items) + " itens", name);
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < value->size(); ++i) {
    const std::string item = name + "/" + std::to_string(i);
    const Json& member = (*value)[i];
    if (!member.is_string())
      Fail("campo_invalido", "O item " + item + " deve ser um texto (veio " + Kind(member) + ")", item);
    texts.push_back(ReadText(member.get<std::string>(), item, field));
  }
  return texts;
}

bool RequestBody::Bool(const std::string& member, bool fallback) const {
  const Json* value = Member(member);
  if (!value) return fallback;
  if (!value->is_boolean())
    Fail("campo_invalido", "O campo " + Field(member) + " deve ser true ou false (veio " + Kind(*value) + ")",
         Field(member));
  return value->get<bool>();
}

std::optional<RequestBody> RequestBody::OptionalObject(const std::string& member) const {
  const Json* value = Member(member);
  if (!value) return std::nullopt;
  if (!value->is_object())
    Fail("campo_invalido", "O campo " + Field(member) + " deve ser um objeto (veio " + Kind(*value) + ")",
         Field(member));
  RequestBody body;
  body.root_ = *value;
  body.prefix_ = Field(member) + "/";
  return body;
}

std::vector<RequestBody> RequestBody::ObjectList(const std::string& member, std::size_t max_items) const {
  const Json* value = Member(member);
  const std::string name = Field(member);
  if (!value) Fail("campo_obrigatorio", "Falta o campo " + name, name);
  if (!value->is_array())
    Fail("campo_invalido", "O campo " + name + " deve ser uma lista (veio " + Kind(*value) + ")", name);
  if (value->empty()) Fail("campo_invalido", "A lista " + name + " est\xE1 vazia", name);
  if (value->size() > max_items)
    Fail("valor_nao_cabe", "A lista " + name + " passa de " + std::to_string(max_items) + " itens", name);
  std::vector<RequestBody> bodies;
  for (std::size_t i = 0; i < value->size(); ++i) {
    const std::string item = name + "/" + std::to_string(i);
    const Json& element = (*value)[i];
    if (!element.is_object())
      Fail("campo_invalido", "O item " + item + " deve ser um objeto (veio " + Kind(element) + ")", item);
    RequestBody body;
    body.root_ = element;
    body.prefix_ = item + "/";
    bodies.push_back(std::move(body));
  }
  return bodies;
}

void RequestBody::NoOtherFields() const {
  for (const auto& [name, value] : root_.items()) {
    if (read_.count(name) == 0) {
      const std::string field = prefix_ + FieldName(name);
      Fail("campo_desconhecido", "Campo desconhecido: " + field, field);
    }
  }
}

std::string RequestBody::Canonical() const { return Plain(root_).dump(); }

}  // namespace qdm_service
