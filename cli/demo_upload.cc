// The demo's upload step: packing the sample files and listing the archives.
#include "cli/demo.h"

namespace torvex::cli {

void demoUpload(Demo& demo) {
  demo.passo("Upload", "Not yet in this build: geraArquivoUpload packs the files an FI names.");
}

}  // namespace torvex::cli
