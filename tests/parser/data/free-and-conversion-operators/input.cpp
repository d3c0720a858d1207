bool operator<(const A&, const A&) { return true; }
std::ostream& operator<<(std::ostream& os, const A& a) { return os; }
A operator""_a(const char* s, std::size_t n) { return A(); }
struct S {
    operator bool() const { return true; }
    operator std::string() const;
    explicit operator int() const { return 0; }
    operator const char*() const;
    int& operator[](int);
    bool operator==(const S&) const = default;
    friend bool operator!=(const S& a, const S& b) { return false; }
};
S::operator std::string() const { return {}; }
template <class T> Wrapper<T>::operator T&() { return value; }
