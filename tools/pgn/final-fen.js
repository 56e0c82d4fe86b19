// Reads one game of PGN on standard input and prints the FEN of its final position; exits 1
// with the reader's complaint when the game does not read. Standard games are read with
// chess.js, strict about SAN; a game tagged [Variant "Chess960"] with chessops, which knows
// Chess960's castling (chess.js does not).
import { readFileSync } from 'node:fs';
import { Chess } from 'chess.js';
import { parsePgn, startingPosition } from 'chessops/pgn';
import { parseSan } from 'chessops/san';
import { makeFen } from 'chessops/fen';

const pgn = readFileSync(0, 'utf8');

function chess960FinalFen(text) {
  const games = parsePgn(text);
  if (games.length !== 1) throw new Error(`${games.length} games where one was expected`);
  const game = games[0];
  const start = startingPosition(game.headers);
  if (start.isErr) throw new Error(`the start does not read: ${start.error.message}`);
  const position = start.value;
  if (position.rules !== 'chess' || !game.headers.get('Variant')?.match(/^chess ?960$/i))
    throw new Error('not read as a Chess960 game');
  for (const node of game.moves.mainline()) {
    const move = parseSan(position, node.san);
    if (!move) throw new Error(`${node.san} is not a legal move in ${makeFen(position.toSetup())}`);
    position.play(move);
  }
  return makeFen(position.toSetup());
}

try {
  if (/^\[Variant "Chess960"\]$/m.test(pgn)) {
    console.log(chess960FinalFen(pgn));
  } else {
    const game = new Chess();
    game.loadPgn(pgn, { strict: true });
    console.log(game.fen());
  }
} catch (error) {
  console.error(`the PGN does not read back: ${error.message}`);
  process.exit(1);
}
