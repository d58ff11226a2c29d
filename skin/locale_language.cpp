// System language on Linux: the locale of messages, turned into the Windows
// language identifier the language table and its mapping are written in.
#include <array>
#include <cstdlib>

#include "skin/language.h"

namespace zarvel {

namespace {

struct LocaleId {
  std::string_view name;  // "ll" (the language's main identifier) or "ll_CC", optionally "@modifier"
  std::uint16_t id;
};

constexpr std::array<LocaleId, 118> kLocaleIds = {{
    {"en", 0x0409}, {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009},
    {"en_NZ", 0x1409}, {"en_IE", 0x1809}, {"en_ZA", 0x1C09}, {"en_JM", 0x2009}, {"en_BZ", 0x2809},
    {"en_TT", 0x2C09}, {"en_ZW", 0x3009}, {"en_PH", 0x3409}, {"en_IN", 0x4009}, {"en_MY", 0x4409},
    {"en_SG", 0x4809},
    {"de", 0x0407}, {"de_DE", 0x0407}, {"de_CH", 0x0807}, {"de_AT", 0x0C07}, {"de_LU", 0x1007},
    {"de_LI", 0x1407},
    {"fr", 0x040C}, {"fr_FR", 0x040C}, {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C},
    {"fr_LU", 0x140C}, {"fr_MC", 0x180C}, {"fr_RE", 0x200C}, {"fr_CD", 0x240C}, {"fr_SN", 0x280C},
    {"fr_CM", 0x2C0C}, {"fr_CI", 0x300C}, {"fr_ML", 0x340C}, {"fr_MA", 0x380C}, {"fr_HT", 0x3C0C},
    {"es", 0x0C0A}, {"es_ES", 0x0C0A}, {"es_MX", 0x080A}, {"es_GT", 0x100A}, {"es_CR", 0x140A},
    {"es_PA", 0x180A}, {"es_DO", 0x1C0A}, {"es_VE", 0x200A}, {"es_CO", 0x240A}, {"es_PE", 0x280A},
    {"es_AR", 0x2C0A}, {"es_EC", 0x300A}, {"es_CL", 0x340A}, {"es_UY", 0x380A}, {"es_PY", 0x3C0A},
    {"es_BO", 0x400A}, {"es_SV", 0x440A}, {"es_HN", 0x480A}, {"es_NI", 0x4C0A}, {"es_PR", 0x500A},
    {"es_US", 0x540A},
    {"it", 0x0410}, {"it_IT", 0x0410}, {"it_CH", 0x0810},
    {"pt", 0x0416}, {"pt_BR", 0x0416}, {"pt_PT", 0x0816},
    {"nl", 0x0413}, {"nl_NL", 0x0413}, {"nl_BE", 0x0813},
    {"zh", 0x0804}, {"zh_CN", 0x0804}, {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"zh_SG", 0x1004},
    {"zh_MO", 0x1404},
    {"sr", 0x281A}, {"sr_RS", 0x281A}, {"sr_RS@latin", 0x241A}, {"sr_ME", 0x301A},
    {"sv", 0x041D}, {"sv_SE", 0x041D}, {"sv_FI", 0x081D},
    {"ar", 0x0401}, {"ar_SA", 0x0401}, {"ar_EG", 0x0C01}, {"ar_AE", 0x3801},
    {"ja", 0x0411}, {"ko", 0x0412}, {"ru", 0x0419}, {"uk", 0x0422}, {"be", 0x0423},
    {"pl", 0x0415}, {"cs", 0x0405}, {"sk", 0x041B}, {"hu", 0x040E}, {"ro", 0x0418},
    {"bg", 0x0402}, {"hr", 0x041A}, {"sl", 0x0424}, {"el", 0x0408}, {"tr", 0x041F},
    {"he", 0x040D}, {"fa", 0x0429}, {"hi", 0x0439}, {"th", 0x041E}, {"vi", 0x042A},
    {"id", 0x0421}, {"ms", 0x043E}, {"da", 0x0406}, {"nb", 0x0414}, {"nn", 0x0814},
    {"no", 0x0414}, {"fi", 0x040B}, {"et", 0x0425}, {"lv", 0x0426}, {"lt", 0x0427},
    {"is", 0x040F}, {"ca", 0x0403}, {"eu", 0x042D}, {"gl", 0x0456},
}};

std::uint16_t Find(std::string_view name) {
  for (const LocaleId& entry : kLocaleIds) {
    if (entry.name == name) return entry.id;
  }
  return 0;
}

}  // namespace

std::uint16_t LanguageIdFromLocale(std::string_view localeName) {
  // "ll_CC.codeset@modifier": the codeset says nothing about the language.
  std::string_view modifier;
  if (std::size_t at = localeName.find('@'); at != std::string_view::npos) {
    modifier = localeName.substr(at);
    localeName = localeName.substr(0, at);
  }
  if (std::size_t dot = localeName.find('.'); dot != std::string_view::npos) localeName = localeName.substr(0, dot);
  std::string full = std::string(localeName) + std::string(modifier);
  if (std::uint16_t id = Find(full)) return id;
  if (std::uint16_t id = Find(localeName)) return id;
  if (std::uint16_t id = Find(localeName.substr(0, localeName.find('_')))) return id;
  return kEnglishLanguageId;
}

std::uint16_t SystemLanguageId() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] != '\0') return LanguageIdFromLocale(value);
  }
  return kEnglishLanguageId;
}

}  // namespace zarvel
