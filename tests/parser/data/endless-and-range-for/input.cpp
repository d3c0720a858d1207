void f() {
    for (;;) { a(); break; }
    for (auto& x : v) { g(x); }
    for (const auto& [k, v] : m) h(k);
    for (int i = 0; i < n; ++i) { continue; }
    for (auto v = get(); auto& x : v) use(x);
    for (x : y ? a : b) z();
    for (;;);
}
