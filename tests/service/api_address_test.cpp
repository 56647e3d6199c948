#include "service/api_address.h"

#include <gtest/gtest.h>

#include "service/base_query.h"
#include "service/data_holder.h"
#include "tests/support/scoped_env.h"

using testing_support::ScopedEnv;
using testing_support::ScopedUserProfile;

TEST(ApiAddress, TheBuildSettingServesUnlessTheEnvironmentOverridesIt) {
  {
    ScopedEnv unset("QUORVEL_API_BASE", std::nullopt);
    EXPECT_EQ(ApiBase(), QUORVEL_API_BASE_DEFAULT);
  }
  {
    ScopedEnv empty("QUORVEL_API_BASE", std::string());
    EXPECT_EQ(ApiBase(), QUORVEL_API_BASE_DEFAULT);
  }
  ScopedEnv set("QUORVEL_API_BASE", std::string("http://127.0.0.1:9999/"));
  EXPECT_EQ(ApiUrl(request_path::kLogin), "http://127.0.0.1:9999/User/loginCode");
}

TEST(BaseQuery, NamesTheLanguageOfTheLocale) {
  {
    ScopedUserProfile profile("zh_CN.UTF-8");
    DataHolder holder;
    EXPECT_EQ(BuildBaseQuery(holder), "ver=0.9.0&app=win&lan=cn&business=quorv");
  }
  ScopedUserProfile profile("en_US.UTF-8");
  DataHolder holder;
  EXPECT_EQ(BuildBaseQuery(holder), "ver=0.9.0&app=win&lan=us&business=quorv");
  holder.language.clear();
  EXPECT_EQ(BuildBaseQuery(holder), "ver=0.9.0&app=win&lan=us&business=quorv");
}

TEST(FormEncoding, KeepsUnreservedCharactersAndEscapesEveryOtherByte) {
  EXPECT_EQ(FormEncode("Az09-._~"), "Az09-._~");
  EXPECT_EQ(FormEncode("a&b=c d+e%"), "a%26b%3Dc%20d%2Be%25");
  EXPECT_EQ(FormEncode("中"), "%E4%B8%AD");
  EXPECT_EQ(FormEncode(std::string("\0\xff", 2)), "%00%FF");
  EXPECT_EQ(FormEncode(""), "");
  EXPECT_EQ(FormParameter("code", "1&2"), "&code=1%262");
}
