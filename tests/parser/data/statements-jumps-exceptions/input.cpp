void run()
{
    std::string s;
    int tries = 0;
    ;
again:
    try {
        open(s);
    } catch (const std::exception& e) {
        if (++tries < 3) goto again;
        throw;
    } catch (...) {
    }
    {
        int local = 1;
        use(local);
    }
    return;
}
