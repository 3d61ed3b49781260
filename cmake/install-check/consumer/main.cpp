// Uses the installed library the way an outside program would.
#include <zor/package/package.hpp>

#include <cstdio>

int main() {
  zor::Application application;
  const auto valid = application.validate();
  if (valid || valid.error().description() != "application has no tiles") {
    std::puts("consumer: an empty application was not rejected as expected");
    return 1;
  }
  std::puts("consumer: ok");
  return 0;
}
