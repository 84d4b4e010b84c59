# Every target of the tree is built with ASan and UBSan; a report aborts the process so that
# a test run fails on it instead of printing and going on.
add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
add_link_options(-fsanitize=address,undefined)
