namespace outer {
namespace inner {
class C;
}
namespace {
}
}
namespace fs = std::filesystem;
namespace bad = ;
inline namespace v1 {
}
using namespace std;
using namespace ::qualified;
using std::string;
using typename Base::type;
using Alias = int;
