// The texts the tool shows to the user, and the exception that carries one of them from a loader
// or writer to the operation that shows it.
#pragma once

namespace ConfigMessages {
inline constexpr char kCaption[] = "環境設定";
inline constexpr char kMainDialogFailed[] = "メインダイアログの作成に失敗";
inline constexpr char kDescriptionLoadFailed[] = "環境設定情報ファイルのロードに失敗";
inline constexpr char kRunGameFirst[] =
    "環境設定情報ファイルをロード出来ません。\n「%s」を\n一度でも実行してからでないと、環境設定は行えません。";
inline constexpr char kBadFile[] = "不正なファイルを読み込みました。";
inline constexpr char kUntitledItem[] = "タイトルが設定されていない環境設定項目が存在します。";
inline constexpr char kUnknownOverrideItem[] = "環境設定情報アイテムが存在しない項目が存在します。";
inline constexpr char kDefaultsLoadFailed[] = "環境設定デフォルトファイルのロードに失敗";
inline constexpr char kBadDefaultString[] = "デフォルト文字列の指定が不正です。";
inline constexpr char kNothingToSave[] = "保存すべき情報が存在しません。";
inline constexpr char kCannotOpenForWriting[] = "書き込みファイルのオープンに失敗しました。";
inline constexpr char kBadIndex[] = "インデックス値が不正です。";
inline constexpr char kBadStringItem[] = "不正な文字列設定が存在します。";
}  // namespace ConfigMessages

// Thrown with one of the texts above; the operation that catches it shows it with the
// exclamation icon.
struct ConfigMessageError {
    const char* text;
};
