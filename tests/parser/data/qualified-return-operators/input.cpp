MidiBufferIterator::reference MidiBufferIterator::operator*() const noexcept
{
    return { data };
}
A::ref A::operator+(int a) const { return x; }
ns::Vec ns::Vec::operator[](int i) const { return at(i); }
A::ref C::get() const noexcept { return x; }
A::B c = make();
A::B* p = nullptr;
A::B d;
A::B e = a.operator+(b);
