#include "cli/metodos.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/uso.h"
#include "component/controlador.h"

namespace torvex::cli {

namespace {

const std::vector<Metodo>& tabela() {
  static const std::vector<Metodo> kMetodos = {
      {"criaInfraEstrutura", {{"bstrPathRaiz", Tipo::Texto}}, Tipo::Numero,
       "creates the tray tree under the root; 0, or 1 for a root without a usable drive"},
      {"recuperaArquivoUpload", {{"bstrPathRaiz", Tipo::Texto}, {"lIndice", Tipo::Numero}},
       Tipo::Texto, "the name of the lIndice-th upload archive waiting in OUTTRAY/WORK"},
      {"existeArquivo", {{"bstrNomeArquivo", Tipo::Texto}}, Tipo::Numero,
       "0 when a file or directory matches the name (wildcards allowed), 1 when none does"},
      {"deletaArquivo", {{"bstrNomeArquivo", Tipo::Texto}}, Tipo::Numero,
       "deletes one file; 0, or -1 when it was not deleted"},
      {"geraArquivoUpload",
       {{"bstrPathRaiz", Tipo::Texto},
        {"bstrFI", Tipo::Texto},
        {"bstrFIRename", Tipo::Texto},
        {"lIndice", Tipo::Numero}},
       Tipo::Numero,
       "packs each file the FI names into F<lIndice>_<name>.ARJ with its record, then\n"
       "deletes it, or moves it to bstrFIRename when that is not empty"},
      {"recuperaControleDownload", {{"bstrPathRaiz", Tipo::Texto}}, Tipo::Texto,
       "the path of OUTTRAY/ContDown.dat when it exists"},
      {"disponibilizaArquivos", {{"bstrPathRaiz", Tipo::Texto}}, Tipo::Numero,
       "distributes the received archives; 0 when ContDown.dat exists afterwards, else 1"},
  };
  return kMetodos;
}

bool leNumero(const char* texto, LONG& numero) {
  const char* fim = texto + std::strlen(texto);
  if (*texto == '+') ++texto;  // from_chars takes "-" but not "+"
  auto [resto, erro] = std::from_chars(texto, fim, numero);
  return texto != fim && erro == std::errc() && resto == fim;
}

bool converteArgumento(const Parametro& p, const char* texto, Valor& valor) {
  if (p.tipo == Tipo::Numero) {
    if (leNumero(texto, valor.numero)) return true;
    erroDeUso(std::string(p.nome) + " must be a whole number from -2147483648 to 2147483647, not '" +
              texto + "'");
    return false;
  }
  valor.texto = bstrDeUtf8(texto);
  return true;
}

}  // namespace

std::span<const Metodo> metodos() { return tabela(); }

const Metodo* procuraMetodo(const char* nome) {
  for (const Metodo& m : tabela()) {
    if (std::strcmp(m.nome, nome) == 0) return &m;
  }
  return nullptr;
}

const Metodo* procuraMetodoSemCaixa(const char* nome) {
  for (const Metodo& m : tabela()) {
    const auto mesmaLetra = [](char a, char b) {
      return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    if (std::ranges::equal(std::string_view(m.nome), std::string_view(nome), mesmaLetra)) return &m;
  }
  return nullptr;
}

bool ChamadorDireto::chama(const Metodo& metodo, std::span<Valor> a, Valor& r) {
  const std::string_view nome = metodo.nome;
  if (nome == "criaInfraEstrutura") {
    r.numero = Controlador::criaInfraEstrutura(a[0].texto.get());
  } else if (nome == "recuperaArquivoUpload") {
    r.texto.reset(Controlador::recuperaArquivoUpload(a[0].texto.get(), a[1].numero));
  } else if (nome == "existeArquivo") {
    r.numero = Controlador::existeArquivo(a[0].texto.get());
  } else if (nome == "deletaArquivo") {
    r.numero = Controlador::deletaArquivo(a[0].texto.get());
  } else if (nome == "geraArquivoUpload") {
    r.numero = Controlador::geraArquivoUpload(a[0].texto.get(), a[1].texto.get(),
                                              a[2].texto.get(), a[3].numero);
  } else if (nome == "recuperaControleDownload") {
    r.texto.reset(Controlador::recuperaControleDownload(a[0].texto.get()));
  } else if (nome == "disponibilizaArquivos") {
    r.numero = Controlador::disponibilizaArquivos(a[0].texto.get());
  } else {
    std::fprintf(stderr, "torvex: no direct call for %s\n", metodo.nome);
    return false;
  }
  return true;
}

int chamaMetodo(MethodCaller& chamador, std::span<char* const> args) {
  if (args.empty()) return erroDeUso("a method name is missing");
  const Metodo* metodo = chamador.procura(args[0]);
  if (metodo == nullptr) {
    return erroDeUso(std::string("unknown subcommand or method '") + args[0] + "'");
  }
  const auto dados = args.subspan(1);
  if (dados.size() != metodo->parametros.size()) {
    return erroDeUso(std::string(metodo->nome) + " takes " +
                     std::to_string(metodo->parametros.size()) + " argument(s), not " +
                     std::to_string(dados.size()));
  }
  std::vector<Valor> valores(dados.size());
  for (size_t i = 0; i < dados.size(); ++i) {
    if (!converteArgumento(metodo->parametros[i], dados[i], valores[i])) return kSaidaUso;
  }
  Valor resultado;
  if (!chamador.chama(*metodo, valores, resultado)) return kSaidaFalha;
  if (metodo->resultado == Tipo::Numero) {
    std::printf("%ld\n", static_cast<long>(resultado.numero));
  } else {
    std::string texto = utf8DeBstr(resultado.texto.get());
    texto.push_back('\n');
    std::fwrite(texto.data(), 1, texto.size(), stdout);
  }
  return kSaidaOk;
}

}  // namespace torvex::cli
