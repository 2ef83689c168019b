// The prose of every text the player reads or types. Each table fills slots 0..24;
// typing letters end every line but the signature with a space, because the typing
// page finishes a line on its last character without asking for that key.
#include "story/texts.h"

static const char EMPTY[] = "";
static const char END_OF_TEXT[] = "ENDOFTEXT";
static const char NEW_PAGE[] = "NEWPAGE";

// Ellis types these to open and close every letter.
static const char TO_IRELA[] = "Dear Irela, ";
static const char FROM_ELLIS[] = "Yours, Ellis";
// Every letter that arrives opens this way; all but the very first close this way.
static const char TO_ELLIS[] = "Dear Ellis,";
static const char FROM_IRELA[] = "Yours, Irela";

// Ellis at the Lowmere post office; the first reply arrives.
const char *const TEXT_Scene01[TEXT_TABLE_SLOTS] = {
    "In Lowmere the post comes once a day, by bicycle, and I am the one who sorts it.",
    "For three years I have handed other people their letters across the counter:",
    "birthdays and bills, postcards from cousins, parcels from catalogues.",
    "Nothing ever came for me. I never expected it to.",
    "At night I listen to Irela Vasse on the radio, with the window open to the sea.",
    "Last spring, after they played Paperlune, I wrote to her on my mother's typewriter.",
    "I posted it to an address on a record sleeve, and then I tried to forget it.",
    "This morning, in the sorting tray, there was an envelope with my own name on it.",
    NEW_PAGE,
    "On the back, in small blue ink, it said: Irela.",
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
};

// Irela's own short reply, signed in full.
const char *const TEXT_Scene02[TEXT_TABLE_SLOTS] = {
    TO_ELLIS,
    EMPTY,
    "Thank you for your letter. It found me on a grey morning and made it less grey.",
    "You say my songs keep you company by the sea. That is all a song should ever do.",
    "But you told me so little about yourself, and I find I would like to know.",
    "Who is the person behind such careful typing, in a town I had to find on the map?",
    "Write again, if you like, and tell me.",
    "With warm thanks,",
    "Irela Vasse",
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
};

// Before the first choice: how to answer her question.
const char *const TEXT_Scene03[TEXT_TABLE_SLOTS] = {
    "She asks who I am. I have read her letter so often that the folds have gone soft.",
    "What could I possibly tell someone like her?",
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
};

// Ellis answers as a fan.
const char *const TEXT_Scene04e1[TEXT_TABLE_SLOTS] = {
    TO_IRELA,
    EMPTY,
    "I can't believe you wrote back! ",
    "I have to tell you I am your ",
    "biggest fan in the whole world. ",
    "I have all four of your records, ",
    "and I know every word by heart. ",
    "Paperlune is the best song ever ",
    "written, and I play it every day. ",
    "Could you send me a signed photo? ",
    "I'd hang it over my bed. You are ",
    "my favourite singer, and you always ",
    "will be. Thank you! ",
    EMPTY,
    FROM_ELLIS,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY,
};

// A printed card comes back, and nothing after it.
const char *const TEXT_Scene04e2[TEXT_TABLE_SLOTS] = {
    "Her answer came a month later, in a stiff white envelope with a printed label.",
    "Inside there was a photograph, signed in silver ink. Thank you for your support!",
    "I hung it above my bed, as I'd promised. She never wrote to me again.",
    "Somewhere in the city, I suppose, there is a sack of letters just like mine.",
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY,
};

// Ellis sends a photograph and says who they are.
const char *const TEXT_Scene05[TEXT_TABLE_SLOTS] = {
    TO_IRELA,
    EMPTY,
    "You asked who I am, so here I am. ",
    "The photograph is me on the harbour ",
    "wall, squinting, because the wind ",
    "in Lowmere never stops. The tower ",
    "behind me is our lighthouse. Its ",
    "lamp has been dark for years, but we ",
    "paint it every spring, just in case. ",
    "I'm nineteen. I work at the post ",
    "office, at the counter with the ",
    "brass scales, and I know everyone ",
    "in town by their handwriting. ",
    EMPTY,
    "That is why your letter surprised ",
    "me. I didn't know the hand, ",
    "and it was my own name on the front. ",
    "I read it at the counter with my ",
    "coat still on, and Mrs Adley asked ",
    "for her stamps twice. Nobody has ",
    "ever asked me who I am. I'm not sure ",
    "I know. But this is where I live, ",
    "and this is my face. ",
    EMPTY,
    FROM_ELLIS,
};

// Waiting for an answer to the photograph.
const char *const TEXT_Scene05e1[TEXT_TABLE_SLOTS] = {
    "I posted it before I could change my mind.",
    "A photograph of me, squinting on a wall, on its way to a voice the country knows.",
    EMPTY,
    "At the counter I caught myself weighing every envelope twice.",
    "Each time the bicycle came round the corner, my heart did something foolish.",
    "I told myself she was busy. That she had a thousand letters and a thousand faces.",
    NEW_PAGE,
    "Two weeks went by. Then three.",
    NEW_PAGE,
    "Then, one wet Tuesday, a thick envelope came in the same small blue hand.",
    "It had been posted from a city I had only ever seen on the weather map.",
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
};

// The first letter in the small blue hand.
const char *const TEXT_Scene06[TEXT_TABLE_SLOTS] = {
    TO_ELLIS,
    "Your photograph stands against the mirror of a hotel in a city I can't pronounce.",
    "You are squinting exactly as you said, and your lighthouse looks very brave.",
    "Do you know, nobody ever tells me what they do all day? They only tell me what I do.",
    "So I want to hear everything: the brass scales, the handwriting, the wind.",
    "Here it is all corridors: sound checks, lifts, and cars with dark windows.",
    "Tonight from my window I can see a railway yard, and a lit kitchen on the far side.",
    "Someone in that kitchen is making soup at midnight. I've been watching for an hour.",
    EMPTY,
    "That is the sort of thing I never get to tell anyone.",
    "So I am telling you, and I hope you don't mind.",
    "Write back, and tell me what your window looks onto.",
    "I would very much like to know.",
    FROM_IRELA,
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY,
};

// Ellis reads it again and again.
const char *const TEXT_Scene06e1[TEXT_TABLE_SLOTS] = {
    "I read it at the counter, then on the pier, and then again in bed with the lamp on.",
    "She had watched a stranger make soup at midnight, and thought of telling me.",
    "The woman on the record sleeves, in her silver dress, did not fit this letter.",
    "This was someone quieter. Someone who sat at hotel windows and noticed things.",
    NEW_PAGE,
    "I wanted, very badly, to be someone worth noticing things for.",
    NEW_PAGE,
    "That evening I took the cloth off the typewriter and wrote until my fingers ached.",
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
};

// The view from Ellis's window.
const char *const TEXT_Scene07[TEXT_TABLE_SLOTS] = {
    TO_IRELA,
    EMPTY,
    "My window looks onto the harbour. ",
    "In the morning there are nine boats, ",
    "by noon there are none, and at dusk ",
    "I count them home like a mother hen. ",
    "The ferry leans a little to the left, ",
    "so everyone stands on the right ",
    "to be fair to it. At the end ",
    "of the pier there is one lamp ",
    "that nobody remembers putting there. ",
    "I like to think it is for me. ",
    EMPTY,
    "What do you do all day? ",
    "Not the concerts. I mean the part ",
    "of the day that belongs to you. ",
    "What do you eat for breakfast? ",
    "Do you hum in lifts? Did the soup ",
    "person ever get to bed? I've been ",
    "worrying about them. You can tell ",
    "me anything, you know. There is nobody ",
    "here to tell except the gulls, ",
    "and they never listen. ",
    EMPTY,
    FROM_ELLIS,
};

// A season of letters, then one that is different.
const char *const TEXT_Scene07e1[TEXT_TABLE_SLOTS] = {
    "Her answer came in nine days. Mine went back in two. Hers came in eight.",
    "By the time the first frost had whitened the harbour wall, we'd written a small book.",
    "She told me about the rooms behind the stages, and the flowers nobody has time for,",
    "so she puts them in the bath. I told her about the ferry, the twins, and Mr Pender.",
    NEW_PAGE,
    "I stopped hearing her voice only on the radio and started hearing it in my head.",
    "It was a softer voice than the one on the records. I never wondered why.",
    NEW_PAGE,
    "Then, in December, a letter came that was not like the others.",
    NEW_PAGE,
    "The writing sloped, as if it had been written in a hurry, or very late, or both.",
    NEW_PAGE,
    "I read it standing up by the door, still in my coat.",
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY,
};

// Three in the morning after a concert.
const char *const TEXT_Scene08[TEXT_TABLE_SLOTS] = {
    TO_ELLIS,
    "It is three in the morning and I can't sleep, so you are getting this, I'm afraid.",
    "Tonight ten thousand people sang Paperlune back to the stage, every word of it.",
    "Afterwards there were flowers, and a party, and a great many photographs.",
    "Then a car, and a corridor, and this room, and nobody in it at all.",
    "Everybody loves the girl in the silver dress. I watched them love her all night.",
    "I am not sure a single one of them would know me without her.",
    "I am not sure they would want to.",
    "I shouldn't send this. I am going to send it anyway, before I lose my nerve.",
    "Put it in a drawer.",
    FROM_IRELA,
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
};

// A second letter on its heels: forget the first.
const char *const TEXT_Scene09[TEXT_TABLE_SLOTS] = {
    TO_ELLIS,
    "Please forget my last letter. I was so tired, and the hotel room was far too quiet.",
    "It is morning now, there is sun on the railway yard, and I feel silly.",
    "Tell me something ordinary instead. Tell me about the ferry, the twins, the rain.",
    "Tell me anything at all from Lowmere. It does me good just to think of it.",
    "I mean it. I have been waiting for the post like a schoolgirl.",
    FROM_IRELA,
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY,
};

// Ordinary news from Lowmere, as asked.
const char *const TEXT_Scene10[TEXT_TABLE_SLOTS] = {
    TO_IRELA,
    "I won't forget your letter, but I ",
    "won't make you talk about it either. ",
    "I've put it in the drawer, as you ",
    "asked, and if you ever want it back, ",
    "it will be there, folded in three. ",
    "Now, something ordinary, as ordered. ",
    EMPTY,
    "The Hollis twins are eight and have ",
    "decided to run the ferry. They stand ",
    "at the rope and shout 'Mind the gap!' ",
    "at old Mr Pender, who has ridden it ",
    "for fifty years and never minded ",
    "anything. Yesterday they sold him ",
    "a ticket made of a bus stub, and he ",
    "paid with a button, and all three were ",
    "very pleased. The lighthouse has a new ",
    "crack, and the harbour master says it ",
    "is structural, which is a word he has ",
    "been saving up. It rained all week. ",
    "I bought new gloves. The left one ",
    "is already lost. That is all the news ",
    "Lowmere has. It is not much, but it is ",
    "yours, every ordinary bit of it. ",
    FROM_ELLIS,
};

// She asks for quiet before the second choice.
const char *const TEXT_Scene11[TEXT_TABLE_SLOTS] = {
    TO_ELLIS,
    "I read about the ferry and the button four times, and laughed every time.",
    "Then I cried a little, which I had not expected at all.",
    "You didn't forget my letter, and you didn't make a fuss of it either.",
    "I think you may be the first person in years who writes to me, not her.",
    "Not to the girl on the posters, I mean. To the one who writes back.",
    "There are things I have never told anyone. I nearly told you just now.",
    "I wrote them down, then tore the page into pieces too small to read.",
    "It is only that nobody has ever listened to me like that before.",
    EMPTY,
    "I think I need to be quiet for a little while.",
    "I'm not ready to be answered yet. I don't know what I would say back.",
    "Be patient with me, if you can.",
    FROM_IRELA,
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY,
};

// Ellis answers at once and presses her.
const char *const TEXT_Scene13e1[TEXT_TABLE_SLOTS] = {
    TO_IRELA,
    EMPTY,
    "I know you asked me to wait, but I ",
    "could not. I read your letter twice ",
    "and sat straight down to write this. ",
    "What was on the page you tore up? ",
    "Tell me, whatever it is. Don't go ",
    "quiet, please, not with me. The train ",
    "to the city takes only six hours. ",
    "I could find your hotel and wait ",
    "outside until you came down, and we ",
    "could talk properly, not on paper. ",
    "Write back the moment this arrives, ",
    "so I know you're all right. ",
    "I'll be at the counter every morning ",
    "until I hear. ",
    EMPTY,
    FROM_ELLIS,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
};

// Silence.
const char *const TEXT_Scene13e2[TEXT_TABLE_SLOTS] = {
    "No letter came that winter, or any winter after.",
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
};

// Ellis waits, then writes a letter that needs no answer.
const char *const TEXT_Scene14[TEXT_TABLE_SLOTS] = {
    TO_IRELA,
    EMPTY,
    "I waited, as you asked. It has been ",
    "two weeks, and this letter needs ",
    "no answer. I only want you to know ",
    "that the harbour lamps are lit, ",
    "the ferry still leans to the left, ",
    "and the twins have sold old Mr Pender ",
    "another ticket. Take all the quiet ",
    "you need. When you're ready, I'll ",
    "still be here, at the same counter. ",
    EMPTY,
    FROM_ELLIS,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY,
};

// The paper moons of her childhood.
const char *const TEXT_Scene15[TEXT_TABLE_SLOTS] = {
    TO_ELLIS,
    "Thank you for waiting. You can't know what a rare thing that is, but it is.",
    "I'm better now. We are in the mountains, and the air is thin and clean and cold.",
    "I want to tell you something that nobody knows, not even the people who ask.",
    "When my sister and I were small, we lived on a street too narrow for the moon.",
    "So we made our own, out of paper, and hung them in the window on cotton thread.",
    "A whole sky of paper moons. Our grandmother called them paperlunes.",
    "Half of the word is from her language and half from ours, like us.",
    "That is where the song comes from. The song everyone knows.",
    "Now you know the rest of it.",
    "Keep it somewhere safe.",
    FROM_IRELA,
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY,
};

// Ellis's mother's typewriter.
const char *const TEXT_Scene16[TEXT_TABLE_SLOTS] = {
    TO_IRELA,
    EMPTY,
    "I folded a paper moon last night. ",
    "It took me eleven tries, and it is ",
    "a little lopsided, but it hangs ",
    "in my window now, facing the sea, ",
    "on a thread from my mother's sewing ",
    "box. Since you told me a secret, ",
    "here is one of mine. The typewriter ",
    "I write to you on was hers. Every ",
    "Sunday she typed a letter to her ",
    "sister in the north, and I sat under ",
    "the table and listened to the keys, ",
    "like rain on a tin roof. She died two ",
    "winters ago. I kept the typewriter, ",
    "but I had nobody to write to, ",
    "so it sat under a cloth in the hall ",
    "until the spring I wrote to you. ",
    "Then you answered, and now the keys ",
    "are going again every Sunday, ",
    "and I think she would be glad. ",
    "I have never told anyone that either. ",
    "Now you know. ",
    EMPTY,
    FROM_ELLIS,
};

// Her answer about the Sundays.
const char *const TEXT_Scene17[TEXT_TABLE_SLOTS] = {
    TO_ELLIS,
    "I read about your mother's Sundays on a train and had to look out of the window.",
    "I can see you under the table, listening to the keys like rain on a tin roof.",
    "Now when your letters come I hear them being typed. Every full stop is a knock.",
    "Thank you for telling me. I know what it costs to take a cloth off something.",
    "Your paper moon sounds perfect. Lopsided is how ours were, too.",
    "I have one in my window tonight, folded from a hotel menu.",
    "My sister helped. She says it faces Lowmere.",
    FROM_IRELA,
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
};

// A storm, and a question about her sister.
const char *const TEXT_Scene18[TEXT_TABLE_SLOTS] = {
    TO_IRELA,
    EMPTY,
    "We had a storm on Thursday. ",
    "The sea came right over the harbour ",
    "wall and took two lobster pots ",
    "and Mr Pender's bench. ",
    "The lights went out all over town, ",
    "so I sat in the dark with the radio on ",
    "batteries, and they played Paperlune. ",
    "I knew the story behind it this time. ",
    "It was like hearing a secret told ",
    "to the whole country, with only me ",
    "listening properly. ",
    EMPTY,
    "You write about your sister ",
    "as if she's in the next room. ",
    "Tell me about her. What's her name? ",
    "Is she the one who cut the moons, ",
    "or the one who held the thread? ",
    "I think I'd like her. Anyone who makes ",
    "a whole sky out of paper must be worth ",
    "knowing. Tell her hello from Lowmere. ",
    EMPTY,
    FROM_ELLIS,
    EMPTY,
};

// She describes her sister Tovanne.
const char *const TEXT_Scene19[TEXT_TABLE_SLOTS] = {
    TO_ELLIS,
    "My sister's name is Tovanne. She is two years older than me and a head shorter.",
    "She carries the coats and the timetables, answers my mail and notices everything.",
    "People look right past her to me. She says she doesn't mind. But I think she minds.",
    "She was the one who cut the paper moons. I only ever held the thread.",
    "Everything good that I have, she made first.",
    "She doesn't sing. She says one of us is enough.",
    FROM_IRELA,
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
};

// A message for Tovanne.
const char *const TEXT_Scene20[TEXT_TABLE_SLOTS] = {
    TO_IRELA,
    EMPTY,
    "Your letter about Tovanne has ",
    "been in my coat pocket all week. ",
    "Please tell her someone in Lowmere ",
    "noticed her. Tell her the paper moon ",
    "in my window is really hers, ",
    "since she cut the first ones. ",
    "And tell her that the people who hold ",
    "the coats matter just as much ",
    "as the people in the photographs. ",
    "I carry other people's letters ",
    "all day, so I know a little about it. ",
    "Somebody has to carry things, ",
    "and nobody ever says thank you. ",
    "Spring is nearly here. ",
    "The harbour master has bought ",
    "white paint, and the twins have ",
    "bought red. ",
    EMPTY,
    FROM_ELLIS,
    EMPTY, EMPTY, EMPTY, EMPTY,
};

// The tour nears its end.
const char *const TEXT_Scene21[TEXT_TABLE_SLOTS] = {
    TO_ELLIS,
    "I read your letter to Tovanne. She went pink to the ears and left the room.",
    "Then she came back and asked me to read it again. So I did, twice.",
    "The tour is nearly over. Four more cities, then home, then a summer of nothing.",
    "I have never had a summer of nothing. I don't know what I will do with my hands.",
    "Perhaps I'll learn to fold a proper moon. Perhaps I'll come to see your lighthouse.",
    "Don't hold me to that. But don't let go of it either.",
    "I have to run. There is a car waiting, and it is always waiting.",
    FROM_IRELA,
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
};

// The magazine photograph.
const char *const TEXT_Scene22[TEXT_TABLE_SLOTS] = {
    TO_ELLIS,
    "A magazine printed a photograph of me this week, laughing at a party.",
    "Underneath it said: Irela Vasse, as kind and wonderful as ever.",
    "I don't remember the party. I don't remember laughing. It looks like me, though.",
    "Tovanne cut it out and pinned it to the wall, as a joke. Neither of us laughed.",
    "Sometimes I wonder who all the letters are really written to. Even yours.",
    "I'm sorry. That isn't fair to you. It is only a question I can't put down.",
    "Write soon.",
    FROM_IRELA,
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
};

// Ellis asks for a few days to answer properly.
const char *const TEXT_Scene23[TEXT_TABLE_SLOTS] = {
    TO_IRELA,
    EMPTY,
    "You asked who my letters are really ",
    "written to. I want to answer that ",
    "properly, and not in a hurry at the ",
    "counter between the stamps and the ",
    "parcels, so please give me a few days ",
    "to find the right words. Meanwhile, ",
    "here is the news. Spring has come to ",
    "Lowmere at last. The harbour master ",
    "has painted the lighthouse again, ",
    "white with a red band, and the twins ",
    "wrote both their names on the bottom ",
    "step before he could stop them. The ",
    "ferry is bright blue now, but still ",
    "leans to the left. The paper moon ",
    "in my window has faded in the sun, ",
    "but it is still there, and so am I. ",
    EMPTY,
    FROM_ELLIS,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
};

// Why do you write to me?
const char *const TEXT_Scene24[TEXT_TABLE_SLOTS] = {
    TO_ELLIS,
    "I have waited for your few days, and they have been the longest of the whole year.",
    "So I will ask you plainly, and please answer just as plainly, whatever the answer is.",
    "Of all those who write to the name on my envelopes, why is it you still write to me?",
    "Why me?",
    FROM_IRELA,
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY,
};

// Ellis answers with what everyone sees.
const char *const TEXT_Scene26e1[TEXT_TABLE_SLOTS] = {
    TO_IRELA,
    "Because you are kind and wonderful. ",
    "That is the simple truth, ",
    "and the magazine had it right. ",
    "When you were on the television ",
    "at Christmas, you thanked ",
    "the orchestra one by one, by name. ",
    "You signed a boy's plaster cast ",
    "in the rain. Even in the photographs ",
    "at airports, you smile at whoever ",
    "is holding the camera. On every record ",
    "sleeve you look as if you know a happy ",
    "secret and would share it if you ",
    "could, and when you sing, it sounds ",
    "as if you are singing to one person ",
    "only. Everyone says so, and everyone ",
    "is right. I think the whole country ",
    "loves you a little, and I am only ",
    "the lucky one you write back to. ",
    "When I feel small in Lowmere, I look ",
    "at your face on the record sleeves ",
    "and I think, there is someone good ",
    "in the world, and she knows my name. ",
    "That's why. I hope it is enough. ",
    FROM_ELLIS,
};

// Her short thanks, and a promise of a proper letter.
const char *const TEXT_Scene26e2[TEXT_TABLE_SLOTS] = {
    TO_ELLIS,
    EMPTY,
    "Thank you. Kind and wonderful. The magazine said so too, and I suppose it is true.",
    "It is what everyone sees, and now you see it as well. I should be glad, and I am.",
    "You have earned a proper letter, on proper paper, not another of my scribbles.",
    "It will come soon, and it will be from me, properly. I hope it is all you wanted.",
    EMPTY,
    "Look after the lighthouse.",
    "And yourself.",
    FROM_IRELA,
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
};

// Irela's own last letter, read over three pictures.
const char *const TEXT_Scene26e3[TEXT_TABLE_SLOTS] = {
    TO_ELLIS,
    "What a joy to sit down at last and write to you myself, on my very best paper!",
    "The tour is over. Thirty-one cities, and every single night the hall was full.",
    "I can't tell you how much it means, knowing that people like you are out there,",
    "listening by the radio in their little towns. You are the reason I keep singing.",
    "Tovanne tells me your letters have kept us all going this year. I believe her.",
    NEW_PAGE,
    "I have enclosed two tickets for my summer concert in the city, in the front row,",
    "and a pass, so that you can come backstage afterwards and say hello properly.",
    "Bring a friend! Bring your whole town, if you like. Bring the lighthouse.",
    "I would so love to shake your hand and thank you in person.",
    "You called me kind and wonderful. I will keep those words with me on every stage,",
    "and I will try my very best to deserve them.",
    NEW_PAGE,
    "Please don't ever stop writing your letters. It's such a lovely, old-fashioned thing,",
    "and so few people do it any more.",
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
};

// Irela's last letter, continued.
const char *const TEXT_Scene26e4[TEXT_TABLE_SLOTS] = {
    "I am afraid I shall be terribly busy for a while. There is a new record to make,",
    "and after the summer we go abroad, so I may not write to you for a long time.",
    "But you will hear me on the radio, and I will be singing to all of you,",
    "every one, wherever you are listening.",
    NEW_PAGE,
    "Thank you for being such a loyal friend. It means the world to me, truly.",
    "Look after yourself, and your lovely little town by the sea.",
    "I hope the sun shines on you all summer.",
    "With all my love and gratitude,",
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
};

// The end of Irela's letter, and what Ellis makes of it.
const char *const TEXT_Scene26e5[TEXT_TABLE_SLOTS] = {
    "Irela Vasse",
    "P.S. My sister Tovanne sends her regards.",
    "She reads all my mail before I do, you know,",
    "and she says yours were the loveliest she ever read.",
    NEW_PAGE,
    "It was a lovely letter. I read it many times.",
    "It was kind, and it was wonderful,",
    "and it did not sound like her at all.",
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
};

// Ellis answers with what the letters showed.
const char *const TEXT_Scene27[TEXT_TABLE_SLOTS] = {
    TO_IRELA,
    EMPTY,
    "Because I could see ",
    "the true you in those letters. ",
    "Not the girl in the silver dress. ",
    "I like her, but I have never met her. ",
    "I mean the one who watched a stranger ",
    "make soup at midnight, and puts other ",
    "people's flowers in the bath because ",
    "nobody else will. The one who grew up ",
    "on a street too narrow for the moon, ",
    "and made her own. The one who asked ",
    "what my window looks onto, when ",
    "nobody had ever asked me anything. ",
    "The one who wrote to me at three ",
    "in the morning and then asked me ",
    "to forget it. I didn't. I never will. ",
    "The one who thinks everything good ",
    "she has was made by someone else. ",
    "I don't know what you look ",
    "like when nobody is watching, ",
    "and I don't need to. I have read it, ",
    "week after week, in small blue ink. ",
    "That's who I write to. That is why. ",
    FROM_ELLIS,
};

// Tovanne's confession.
const char *const TEXT_Scene28[TEXT_TABLE_SLOTS] = {
    TO_ELLIS,
    EMPTY,
    "I have started this letter eleven times. This is the twelfth, and I am sending it.",
    "You said you could see the true me in those letters. You could. That is the trouble.",
    "Irela has never read one of them. She didn't write them. I did. My name is Tovanne.",
    "I am the sister who carries the coats. I answer her mail. Most people get a card.",
    "Your first letter got a few lines from her, written in a car between two cities.",
    "Your second had a photograph in it, of someone squinting on a wall by a lighthouse,",
    "and I could not send a card to that. So I wrote back in her name, and couldn't stop.",
    "The soup at midnight, the flowers in the bath, three in the morning: all of it mine.",
    "When you asked about her sister, I wrote about myself. It was the hardest one of all.",
    "When you wrote that someone in Lowmere had noticed me, I had to leave the room.",
    "I am not the girl in the silver dress. Nobody turns round when I come in.",
    "If you feel cheated, you have every right to. I am more sorry than I can say.",
    EMPTY,
    "If you still want to write, write to me, with my own name on the envelope.",
    "The address is the same. The letters will come straight to me, as they always have.",
    "If you don't, I will understand, and I will keep every one of yours all the same.",
    "I don't know how to sign a letter to you with any other name.",
    "Forgive me, once more.",
    FROM_IRELA,
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY,
};

// Ellis writes to Tovanne.
const char *const TEXT_Scene30e1[TEXT_TABLE_SLOTS] = {
    "I wrote to her that same night. On the envelope I typed one word: Tovanne.",
    "Her answer took eleven days. The same small blue hand, the same crooked margins.",
    "She wrote about a kitchen she had painted yellow, and a summer with nothing in it.",
    "And at the bottom, where the other name had always been, she had written her own.",
    "It looked shy there, as if it was not yet sure it was allowed.",
    "We write every week now. She is learning, she says, to sign her own name.",
    "In June she comes on the ferry. I will know her by the grey coat and the blue ink.",
    "I have told the twins to be on their best behaviour. They have promised nothing.",
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
};

// Ellis lets the letters go.
const char *const TEXT_Scene31[TEXT_TABLE_SLOTS] = {
    "I didn't write to Tovanne. I was not angry with her. I don't think I ever was.",
    "But I had spent a year at someone else's window. It was time to open my own.",
    "I folded her last letter into a paper moon and hung it beside the first one.",
    "That summer I took the early train to the city, the typewriter on my knees.",
    "When Paperlune comes on the radio now, I listen to the end. Then I let it go.",
    END_OF_TEXT,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY, EMPTY,
    EMPTY, EMPTY, EMPTY,
};
