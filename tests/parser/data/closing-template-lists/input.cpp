template <class T, class C = std::less<T>> class X { void m() {} };
template <class F> std::future<std::result_of_t<F()>> async(F&& f) { return {}; }
class D : public B<std::vector<int>> { void n() {} };
std::vector<std::vector<int>> grid(int n);
template <class T = A<B<C>>> struct Deep {};
template <int N = (8 >> 1)> struct Shift {};
std::map<int, std::pair<int, int>> table;
void take(std::map<int, std::vector<int>> m, int n) {}
