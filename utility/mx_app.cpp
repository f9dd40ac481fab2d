#include "utility/mx_app.h"

#include "utility/mx_utility.h"

namespace mx_app {

std::unique_ptr<message> message_list;

const char* message::URL_SWS() { return "https://www.sws-extension.org/"; }
const char* message::SWS_PROGRAM_NAME() { return "SWS/S&M Extension"; }

const char* message_en::ERROR_TITLE() { return "MIXVALE_COBALT"; }
const char* message_en::MSG_DEPENDENCY_ERROR() {
  return "To use %s, you need to install %s.\nPlease refer to the URL below for details.\n\n%s\n\n"
         "Would you like to open the URL?";
}

const char* message_jp::ERROR_TITLE() { return "MIXVALE_COBALT"; }
const char* message_jp::MSG_DEPENDENCY_ERROR() {
  return "%sを使用するためには%sのインストールが必要です。\n詳細は下記URLを参照ください。\n\n%s\n\nURLを開きますか？";
}

void choose_catalogue() {
  if (mx_utility::get_lang() == 0) {
    message_list = std::make_unique<message_jp>();
  } else {
    message_list = std::make_unique<message_en>();
  }
}

}  // namespace mx_app
