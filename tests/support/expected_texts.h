// Texts the program shows, as code page 932 bytes, for comparing with what
// the windows and message boxes hold.
#pragma once

namespace expected {

// "Brindlemarch　を\nアップデートしますか？"
constexpr const char kUpdateQuestion[] =
    "Brindlemarch\x81\x40\x82\xf0\n\x83\x41\x83\x62\x83\x76\x83\x66\x81\x5b\x83\x67\x82\xb5\x82\xdc\x82\xb7\x82\xa9\x81\x48";
constexpr const char kUpdateCaption[] = "Brindlemarch Updata";
// "アップデートが完了しました。"
constexpr const char kUpdateDone[] =
    "\x83\x41\x83\x62\x83\x76\x83\x66\x81\x5b\x83\x67\x82\xaa\x8a\xae\x97\xb9\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";
constexpr const char kCaptionFinished[] = "\x8f\x49\x97\xb9";  // "終了"
constexpr const char kCaptionConfirm[] = "\x8a\x6d\x94\x46";   // "確認"

}  // namespace expected
