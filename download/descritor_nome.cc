#include "download/descritor_nome.h"

#include <cstring>

#include "platform/text_file.h"

namespace torvex {
namespace {

// The width of the original line reads: 79 characters and the terminator.
constexpr size_t kLeituraLinha = 80;
static_assert(kLeituraLinha <= kTamanhoCaminho);

void leCampo(TextReader& leitor, char (&campo)[kTamanhoCaminho]) {
  if (!leitor.getLine(campo, kLeituraLinha)) {
    campo[0] = '\0';
    return;
  }
  if (char* fim = std::strchr(campo, '\n')) *fim = '\0';
}

void leCampos(TextReader& leitor, DescritorNome& descritor) {
  leCampo(leitor, descritor.fi);
  leCampo(leitor, descritor.carimbo);
  leCampo(leitor, descritor.disposicao);
}

}  // namespace

bool leDescritor(const char* caminho, DescritorNome& descritor) {
  File arquivo(caminho, OpenMode::Read);
  if (!arquivo) return false;
  TextReader leitor(arquivo);
  leCampos(leitor, descritor);
  return true;
}

void leDescritor(std::string_view bytes, DescritorNome& descritor) {
  TextReader leitor(bytes);
  leCampos(leitor, descritor);
}

}  // namespace torvex
