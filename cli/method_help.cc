#include "cli/method_help.h"

#include <cstring>

namespace torvex::cli {

namespace {

constexpr ResultMeaning kCria[] = {
    {"0",
     "the root was accepted: its folders and the nine trays were created where\n"
     "missing (a folder that cannot be made is not reported), and the root's drive\n"
     "is now the process's current drive"},
    {"1",
     "nothing was created: the root does not start with a drive letter and \":\"\n"
     "(a relative path, or a UNC path such as \\\\server\\share), the drive does not\n"
     "exist, or the root is longer than 242 bytes"},
};

constexpr ResultMeaning kRecupera[] = {
    {"a name",
     "the lIndice-th archive F<n>_<name>.ARJ waiting in OUTTRAY/WORK, without its\n"
     "folder, in the directory search's order (lIndice 0 or less means 1)"},
    {"empty line",
     "the null string: fewer archives than lIndice, none at all, or no such tray"},
};

constexpr ResultMeaning kExiste[] = {
    {"0", "a file or folder matches the name (wildcards * ? in its last part)"},
    {"1", "nothing matches, or the name is empty or longer than 255 bytes"},
};

constexpr ResultMeaning kDeleta[] = {
    {"0", "the file was deleted"},
    {"-1",
     "nothing was deleted: no such file, a folder, a name with wildcards, a\n"
     "read-only file, or one that another program holds open"},
};

constexpr ResultMeaning kGera[] = {
    {"0",
     "the run ended. It does not say that anything was packed: also when nothing\n"
     "matched (missing folder), the expanded FI holds no \"/\", the root does not\n"
     "exist, or the archive library failed on a file (that file and the\n"
     "ones after it stay in place). A file whose archive name is taken by an\n"
     "archive of another file still waiting, or whose paths exceed 255 bytes,\n"
     "stays in place. List the archives to learn what was packed"},
    {"2",
     "bstrFIRename names a folder (the text before its last \"/\", macros not\n"
     "expanded) that does not exist: the file at hand stays unpacked"},
    {"-1", "bstrPathRaiz or bstrFI is null, or an argument exceeds 255 bytes: nothing done"},
};

constexpr ResultMeaning kControle[] = {
    {"a path", "ROOT/Outtray/ContDown.dat (the root as given, \"/\" separators): it exists"},
    {"empty line", "the null string: there is no ContDown.dat"},
};

constexpr ResultMeaning kDisponibiliza[] = {
    {"0",
     "ContDown.dat exists after the pass: read it (it may also hold records of\n"
     "earlier passes, and this pass may have delivered nothing)"},
    {"1",
     "no D?????.ARJ waits in INTRAY/WORK (even when ContDown.dat exists), the\n"
     "root does not exist, or no ContDown.dat exists after the pass"},
};

constexpr MethodHelp kHelp[] = {
    {"criaInfraEstrutura",
     "creates the tray tree under the root and makes the root's drive current",
     "bstrPathRaiz  the root, \"X:\" then a path, \\ or / separators, at most 242\n"
     "              bytes; \"(\" counts as a separator",
     kCria,
     "ROOT/BIN, DATA, DATA/DIARIO, INTRAY, INTRAY/WORK, OUTTRAY, OUTTRAY/WORK, TMP,\n"
     "WORK. The host process's current drive and folder change and stay changed."},
    {"recuperaArquivoUpload",
     "the name of the lIndice-th upload archive waiting in OUTTRAY/WORK",
     "bstrPathRaiz  the root\n"
     "lIndice       1, 2, 3, ... ; deleting an archive shifts the later ones down",
     kRecupera,
     "nothing; an interrupted call on the tree is finished first"},
    {"existeArquivo",
     "0 when a file or folder matches the name, 1 when none does",
     "bstrNomeArquivo  a path; trailing separators are dropped, so C:/T/ asks\n"
     "                 for the folder C:/T",
     kExiste,
     "nothing"},
    {"deletaArquivo",
     "deletes one file; 0, or -1 when it was not deleted",
     "bstrNomeArquivo  the path of one file, no wildcards",
     kDeleta,
     "the file is gone when the result is 0"},
    {"geraArquivoUpload",
     "packs each file the FI names into F<lIndice>_<name>.ARJ with its record\n"
     "F<lIndice>_<name>.DAT, then deletes it, or moves it to bstrFIRename",
     "bstrPathRaiz  the root\n"
     "bstrFI        a folder and a name pattern, with FI macros, e.g.\n"
     "              C:/dados/REL&DD&MM*.TXT (see torvex expand)\n"
     "bstrFIRename  empty: delete each packed file; else where to move it, e.g.\n"
     "              C:/enviados/*.* or *.bak (\"*\" takes the file's own name)\n"
     "lIndice       the round's number, in every name; use a new one for every\n"
     "              round, or a waiting archive of the same file is replaced",
     kGera,
     "OUTTRAY/WORK/F<n>_<stem>.ARJ and .DAT per packed file (stem: the name in\n"
     "lower case, its last \".\" made \"_\"); the source deleted or moved. The host\n"
     "sends both files and then deletes them."},
    {"recuperaControleDownload",
     "the path of OUTTRAY/ContDown.dat when it exists",
     "bstrPathRaiz  the root",
     kControle,
     "nothing; the records of an interrupted pass are written first"},
    {"disponibilizaArquivos",
     "distributes the received archives waiting in INTRAY/WORK",
     "bstrPathRaiz  the root; the host has stored each received D?????.ARJ in\n"
     "              ROOT/INTRAY/WORK beforehand",
     kDisponibiliza,
     "each data file at its destination (new, replaced, appended, or a numbered\n"
     "M<nnnnn>.QVX beside it), one five-line record per delivery appended to\n"
     "OUTTRAY/ContDown.dat, the delivered archive deleted. An archive that cannot\n"
     "be delivered stays in INTRAY/WORK for the next pass (torvex status says why).\n"
     "ContDown.dat only grows: the host deletes it once it has read it."},
};

}  // namespace

const MethodHelp* methodHelp(const char* name) {
  for (const MethodHelp& h : kHelp) {
    if (std::strcmp(h.name, name) == 0) return &h;
  }
  return nullptr;
}

}  // namespace torvex::cli
