#include "app/product_config.h"

namespace {

const char* installFileTable[kInstallFileCount + 1] = {
    "ExecuteProgram",  // replaced by the executable's name at start-up
    "gfx.arc", "vox.arc", "sfx.arc", "sys.arc", "bgm.arc", "scn.arc",
    "ogg.dll", "vorbis.dll", "vorbisfile.dll",
    "readme.txt",
    "uninst.exe",
    "Agfx.arc", "Bgfx.arc", "Cgfx.arc", "Dgfx.arc",
    "Egfx.arc", "Fgfx.arc", "Ggfx.arc", "Hgfx.arc",
    "Setting.exe",
    "gfx_2.arc", "vox_2.arc", "sfx_2.arc", "sys_2.arc", "bgm_2.arc", "scn_2.arc",
    "debuglog.txt",
    nullptr,
};

const char* updateFileTable[kUpdateFileCount + 1] = {
    "gfx_2.arc", "vox_2.arc", "sfx_2.arc", "sys_2.arc", "bgm_2.arc", "scn_2.arc",
    "scn_3.arc", "scn_4.arc", "scn_5.arc", "scn_6.arc",
    nullptr,
};

const char* volumeLabelTable[] = {"Brindlemarch", nullptr};

}  // namespace

ProductConfig productConfig = {
    "Brindlemarch　セットアップ",
    "Brindlemarch",
    "Quorvel",
    "Brindlemarch",
    "Brindlemarch.exe",
    "SOFTWARE\\Quorvel\\Brindlemarch",
    updateFileTable,
    installFileTable,
    volumeLabelTable,
    3000,
    3000,
    3000,
};
