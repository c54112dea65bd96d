// Arbitrary FI, root, stamp, clock, registry answer, existence answers and
// file content: the expander must never overrun, and its output always fits
// 255 characters and a terminator.
// Run: trata_macro_fi_fuzzer -dict=fuzz/macros/trata_macro_fi_fuzzer.dict CORPUS_DIR
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "macros/trata_macro_fi.h"
#include "platform/platform.h"

namespace {

using namespace torvex;

// Answers everything the expander asks from the fuzz data, so no run
// touches the real file system, registry or clock.
class PlataformaFuzz : public ForwardingPlatform {
 public:
  PlataformaFuzz() : ForwardingPlatform(nativePlatform()) {}

  LocalTime localNow() override { return agora; }
  bool registryRead(RegistryHive, const char*, const char*, std::string& data) override {
    if (!registro) return false;
    data = *registro;
    return true;
  }
  uint32_t fileAttributes(const char*) override {
    return sondagens++ < existentes ? kAttrDirectory : kInvalidAttributes;
  }
  FileHandle* openFile(const char*, OpenMode mode) override {
    if (!abre || mode != OpenMode::Read) return nullptr;
    posicao = 0;
    return reinterpret_cast<FileHandle*>(this);
  }
  long readFile(FileHandle*, void* buf, size_t n) override {
    if (falhaLeitura) return -1;
    size_t resto = conteudo.size() - posicao;
    size_t k = n < resto ? n : resto;
    std::memcpy(buf, conteudo.data() + posicao, k);
    posicao += k;
    return static_cast<long>(k);
  }
  int64_t fileSize(FileHandle*) override { return static_cast<int64_t>(conteudo.size()); }
  bool closeFile(FileHandle*) override { return true; }

  LocalTime agora;
  std::optional<std::string> registro;
  uint32_t existentes = 0, sondagens = 0;
  bool abre = false, falhaLeitura = false;
  std::string conteudo;
  size_t posicao = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static PlataformaFuzz plataforma;
  installPlatform(&plataforma);

  FuzzedDataProvider dados(data, size);
  plataforma.agora = {dados.ConsumeIntegral<int>(), dados.ConsumeIntegral<int>(),
                      dados.ConsumeIntegral<int>(), dados.ConsumeIntegral<int>(),
                      dados.ConsumeIntegral<int>(), 0};
  plataforma.existentes = dados.ConsumeIntegralInRange<uint32_t>(0, 1200);
  plataforma.sondagens = 0;
  plataforma.abre = dados.ConsumeBool();
  plataforma.falhaLeitura = dados.ConsumeBool();
  plataforma.registro.reset();
  if (dados.ConsumeBool()) plataforma.registro = dados.ConsumeRandomLengthString(400);
  const bool comCarimbo = dados.ConsumeBool();
  const std::string carimbo = dados.ConsumeRandomLengthString(64);
  const std::string raiz = dados.ConsumeRandomLengthString(300);
  const std::string fi = dados.ConsumeRandomLengthString(600);
  plataforma.conteudo = dados.ConsumeRemainingBytesAsString();

  // Exactly 256 bytes on the heap, so the sanitizer sees any overrun.
  std::unique_ptr<char[]> saida(new char[256]);
  trataMacroFI(saida.get(), fi.c_str(), raiz.c_str(), comCarimbo ? carimbo.c_str() : nullptr);
  if (std::memchr(saida.get(), '\0', 256) == nullptr) std::abort();
  if (plataforma.sondagens > 1000 + 10 + 100) std::abort();
  return 0;
}
