LIB_BEGIN_NAMESPACE namespace detail { void inner() {} }
EXPORT class X { void m() {} };
DECLARE_THING(Foo, Bar)
class After { void h() {} };
SEC("x") int f(void) { return 0; }
__attribute__((format(printf, 1, 2))) static void die(const char*, ...) {}
[[nodiscard]] int answer() { return 42; }
[[deprecated("use g")]] void old();
alignas(16) static char buffer[64];
__declspec(dllexport) void exported() {}
void quiet() __attribute__((noreturn));
static void __attribute__((noinline)) slow() {}
int unused __attribute__((unused)) = 0;
FMT_API void vprint(const char* format) {}
FMT_BEGIN_NAMESPACE FMT_MODULE_EXPORT class Both {};
DWORD count;
HANDLE open_handle();
T largest(T a, T b);
REGISTER(Widget) Widget::Widget() {}
class Q : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE void run();
    Q_PROPERTY(int x READ x) int x() const;
};
class ABC { ABC(int v) noexcept {} };
struct [[nodiscard]] Result { int code; };
enum [[deprecated]] Old { A };
namespace [[deprecated]] legacy { void lf() {} }
_Pragma("GCC push_options") _Pragma("GCC optimize(\"Og\")") namespace pragmas { void p() {} }
