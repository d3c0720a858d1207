{}
{
    class Inside;
#define IN_BLOCK
}
;
class Empty {};
using Alias = int;
;
namespace {}
