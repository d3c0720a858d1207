static void XMLCDECL LIBXML_ATTR_FORMAT(1,2)
endTimer(char *format, ...)
{
    return;
}
static void LIB_ATTR(1,2) other(char *format, ...);
int API_CALL(x) ns::run(int a) { return a; }
int CHECK(x);
int CHECK(x) + 1;
struct AppFriend {
    template <typename... Args> static decltype(auto) parse_arg(App *app, Args &&...args) {
        return app->parse(args...);
    }
    static decltype(auto) plain(App *app) { return app; }
    inline constexpr decltype(auto) twice() const { return 2; }
};
