#include "cli/form_fields.h"

namespace kamt {

std::string CliFieldsHelp() {
  return "\n"
         "Fields of config write and comm write, given as NAME=VALUE: a number with a point or the\n"
         "locale's separator; a list field takes the text of one of its items or #POSITION.\n" +
         FieldsHelp("config write:", ConfigFields()) + FieldsHelp("comm write:", CommFields()) +
         "clock write takes \"DD.MM.YYYY HH:MM:SS\" (the day of week follows from the date),\n"
         "or --now for the computer's clock.\n";
}

}  // namespace kamt
