template <class T, class Alloc>
class circular_buffer
:
#if ENABLE_DEBUG
#endif
private empty_value<Alloc>
{
    void push() {}
};
int total =
#ifdef WIDE
#endif
    1;
void flags() {
    if (!found) { auto value = get(name); if (parse(arg, # name, &value)) { set(name, value); } }
    done();
}
class Last { void l() {} };
