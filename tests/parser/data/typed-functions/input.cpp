void f();
static inline int max(int a, int b);
int add(int a, int b)
{
    return a + b;
}
CFoo::CFoo() : m(0)
{
}
CFoo::~CFoo() {
}
std::string A::B::name(const Key &key, int (*callback)(int)) const;
virtual void draw() = 0;
explicit Widget(QWidget *parent = nullptr);
DECLARE_HANDLER(OnClick)
const char *text() const;
unsigned long hash(const char *s, size_t n) { return n; }
[[deprecated("use draw")]] void paint(Graphics &g);
[[nodiscard]] static int count();
