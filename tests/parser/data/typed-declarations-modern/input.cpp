struct S {
    static constexpr bool kFlag = false;
    constexpr int size() const { return 3; }
    decltype(auto) f() { return 1; }
    auto g() -> decltype(x) { return x; }
    Ctx(int p, Loc l = {0, 0}) : parent(p) {}
    void g(std::vector<int> v = {}) {}
    Item() : a_{1}, b_(2), c_{} {}
    explicit S(int v) noexcept : value{v} {}
    virtual ~S() = default;
    inline static int counter = 0;
    thread_local static int perThread;
    friend void swap(S& a, S& b) noexcept {}
    std::function<void(int)> callback;
    int member{5};
};
namespace ns {
template <class T> struct TT { void bar(); };
template <class T> void TT<T>::bar() { if (x) y(); }
template <class T> template <class U> void TT<T>::baz(U u) {}
}
void outer() {
    struct Local { int a; };
    Local l;
    enum class State { On, Off };
    auto lambda = [](int x) { return x * 2; };
    std::sort(v.begin(), v.end(), [](int a, int b) { return a < b; });
    return {1, 2};
}
