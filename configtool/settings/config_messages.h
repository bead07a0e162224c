// The texts the tool shows to the user, and the exception that carries one of them from a loader
// or writer to the operation that shows it.
#pragma once

namespace ConfigMessages {
constexpr const char kCaption[] = "環境設定";
constexpr const char kMainDialogFailed[] = "メインダイアログの作成に失敗";
constexpr const char kDescriptionLoadFailed[] = "環境設定情報ファイルのロードに失敗";
constexpr const char kRunGameFirst[] =
    "環境設定情報ファイルをロード出来ません。\n「%s」を\n一度でも実行してからでないと、環境設定は行えません。";
constexpr const char kBadFile[] = "不正なファイルを読み込みました。";
constexpr const char kUntitledItem[] = "タイトルが設定されていない環境設定項目が存在します。";
constexpr const char kUnknownOverrideItem[] = "環境設定情報アイテムが存在しない項目が存在します。";
constexpr const char kDefaultsLoadFailed[] = "環境設定デフォルトファイルのロードに失敗";
constexpr const char kBadDefaultString[] = "デフォルト文字列の指定が不正です。";
constexpr const char kNothingToSave[] = "保存すべき情報が存在しません。";
constexpr const char kCannotOpenForWriting[] = "書き込みファイルのオープンに失敗しました。";
constexpr const char kBadIndex[] = "インデックス値が不正です。";
constexpr const char kBadStringItem[] = "不正な文字列設定が存在します。";
}  // namespace ConfigMessages

// Thrown with one of the texts above; the operation that catches it shows it with the
// exclamation icon.
struct ConfigMessageError {
    const char* text;
};
