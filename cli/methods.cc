#include "cli/methods.h"

#include <algorithm>
#include <cctype>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "cli/method_help.h"
#include "cli/nearest_name.h"
#include "cli/usage.h"
#include "component/controlador.h"
#include "component/interface_description.h"

namespace torvex::cli {

namespace {

Type typeOf(VARTYPE vt) { return vt == VT_BSTR ? Type::Text : Type::Number; }

// The methods as the interface table describes them, in its order.
const std::vector<Method>& table() {
  static const std::vector<Method> kMethods = [] {
    std::vector<Method> out;
    for (const FunctionDescription& f : kTorvexTypeLib.functions) {
      const MethodHelp* help = methodHelp(f.name);
      Method m{f.name, {}, typeOf(f.result), help != nullptr ? help->summary : ""};
      for (const ParamDescription& p : f.params) m.parameters.push_back({p.name, typeOf(p.type)});
      out.push_back(std::move(m));
    }
    return out;
  }();
  return kMethods;
}

bool readNumber(const char* text, LONG& number) {
  const char* end = text + std::strlen(text);
  if (*text == '+') ++text;  // from_chars takes "-" but not "+"
  auto [rest, error] = std::from_chars(text, end, number);
  return text != end && error == std::errc() && rest == end;
}

bool convertArgument(const Parameter& p, const char* text, Value& value) {
  if (p.type == Type::Number) {
    if (readNumber(text, value.number)) return true;
    usageError(std::string(p.name) + " must be a whole number from -2147483648 to 2147483647, not '" +
              text + "'");
    return false;
  }
  value.text = bstrFromText(text);
  return true;
}

}  // namespace

std::span<const Method> methods() { return table(); }

std::vector<std::string_view> methodNames() {
  std::vector<std::string_view> names;
  for (const Method& m : table()) names.push_back(m.name);
  return names;
}

const Method* findMethod(const char* name) {
  for (const Method& m : table()) {
    if (std::strcmp(m.name, name) == 0) return &m;
  }
  return nullptr;
}

const Method* findMethodAnyCase(const char* name) {
  const auto sameLetter = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  };
  for (const Method& m : methods()) {
    if (std::ranges::equal(std::string_view(m.name), std::string_view(name), sameLetter)) return &m;
  }
  return nullptr;
}

bool DirectCaller::call(const Method& method, std::span<Value> a, Value& r) {
  const std::string_view name = method.name;
  if (name == "criaInfraEstrutura") {
    r.number = Controlador::criaInfraEstrutura(a[0].text.get());
  } else if (name == "recuperaArquivoUpload") {
    r.text.reset(Controlador::recuperaArquivoUpload(a[0].text.get(), a[1].number));
  } else if (name == "existeArquivo") {
    r.number = Controlador::existeArquivo(a[0].text.get());
  } else if (name == "deletaArquivo") {
    r.number = Controlador::deletaArquivo(a[0].text.get());
  } else if (name == "geraArquivoUpload") {
    r.number = Controlador::geraArquivoUpload(a[0].text.get(), a[1].text.get(),
                                              a[2].text.get(), a[3].number);
  } else if (name == "recuperaControleDownload") {
    r.text.reset(Controlador::recuperaControleDownload(a[0].text.get()));
  } else if (name == "disponibilizaArquivos") {
    r.number = Controlador::disponibilizaArquivos(a[0].text.get());
  } else {
    std::fprintf(stderr, "torvex: no direct call for %s\n", method.name);
    return false;
  }
  return true;
}

int callMethod(MethodCaller& caller, std::span<char* const> args) {
  if (args.empty()) return usageError("a method name is missing");
  const Method* method = caller.find(args[0]);
  if (method == nullptr) {
    return unknownName("method", args[0], methodNames());
  }
  const auto data = args.subspan(1);
  if (data.size() != method->parameters.size()) {
    return usageError(std::string(method->name) + " takes " +
                     std::to_string(method->parameters.size()) + " argument(s), not " +
                     std::to_string(data.size()));
  }
  std::vector<Value> values(data.size());
  for (size_t i = 0; i < data.size(); ++i) {
    if (!convertArgument(method->parameters[i], data[i], values[i])) return kExitUsage;
  }
  Value result;
  if (!caller.call(*method, values, result)) return kExitFailure;
  if (method->result == Type::Number) {
    std::printf("%ld\n", static_cast<long>(result.number));
  } else {
    std::string text = textFromBstr(result.text.get());
    text.push_back('\n');
    std::fwrite(text.data(), 1, text.size(), stdout);
  }
  return kExitOk;
}

}  // namespace torvex::cli
