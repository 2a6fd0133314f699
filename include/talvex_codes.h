/*
 * talvex_codes.h - the script compile codes of TALVEX_ControlSetScript, each
 * with the sentence a host can show its user, in one list:
 *   X(name, value, sentence)
 */
#ifndef TALVEX_CODES_H
#define TALVEX_CODES_H

#define TALVEX_COMPILE_CODES(X)                                                                 \
    X(kCompileOk, 0, "accepted")                                                                 \
    X(kCompileLexical, 2, "an invalid character, a malformed number or a name longer than 32 characters") \
    X(kCompileNoAssign, 6, "the name is not followed by '='")                                    \
    X(kCompileMisplacedClose, 7, "')' after '(' or an operator, or without an open '('")         \
    X(kCompileOpenAfterClose, 8, "'(' directly after ')'")                                       \
    X(kCompileUnclosed, 9, "more '(' than ')'")                                                  \
    X(kCompileUnknownFunction, 10, "an unknown function, or a statement that starts with a call") \
    X(kCompileAssignInExpression, 11, "'=' inside an expression")                                \
    X(kCompileMissingOperand, 12, "an operator without an operand or ')' before it")             \
    X(kCompileMisplaced, 13, "a misplaced operand or comma, an empty expression, or a statement that does not start with a name") \
    X(kCompileArgumentCount, 20, "the wrong number of arguments in a function call")

#endif /* TALVEX_CODES_H */
