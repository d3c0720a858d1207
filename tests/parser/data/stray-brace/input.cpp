class Before {
};
}
class After {
};
namespace gone {
}
